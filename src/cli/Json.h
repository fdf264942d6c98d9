#pragma once

#include <map>
#include <string>
#include <string_view>

// A UTF-8 text as a JSON string, quotes included: quote, backslash and the
// control characters escaped, everything else as it is.
std::string JsonString(std::string_view strText);

// One JSON object, written compact with its members sorted by key, so that a
// script comparing output sees the same bytes every time.
class CJsonObject
{
public:
    // A member set again replaces the old value.
    void Set(const std::string& strKey, std::string_view strValue);
    void Set(const std::string& strKey, const char* pszValue)
    {
        Set(strKey, std::string_view(pszValue));
    }
    void Set(const std::string& strKey, int nValue);
    void Set(const std::string& strKey, bool bValue);
    void Set(const std::string& strKey, const CJsonObject& object);

    std::string Text() const;

private:
    std::map<std::string, std::string> m_members; // key, the value's JSON text
};
