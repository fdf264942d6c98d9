#include "cli/Json.h"

std::string JsonString(std::string_view strText)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string strJson = "\"";
    for (const char ch : strText) {
        const auto nByte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            strJson += "\\\"";
            break;
        case '\\':
            strJson += "\\\\";
            break;
        case '\b':
            strJson += "\\b";
            break;
        case '\f':
            strJson += "\\f";
            break;
        case '\n':
            strJson += "\\n";
            break;
        case '\r':
            strJson += "\\r";
            break;
        case '\t':
            strJson += "\\t";
            break;
        default:
            if (nByte < 0x20) {
                strJson += "\\u00";
                strJson += kHexDigits[nByte >> 4];
                strJson += kHexDigits[nByte & 0xf];
            } else {
                strJson += ch;
            }
        }
    }
    return strJson + '"';
}

void CJsonObject::Set(const std::string& strKey, std::string_view strValue)
{
    m_members.insert_or_assign(strKey, JsonString(strValue));
}

void CJsonObject::Set(const std::string& strKey, int nValue)
{
    m_members.insert_or_assign(strKey, std::to_string(nValue));
}

void CJsonObject::Set(const std::string& strKey, bool bValue)
{
    m_members.insert_or_assign(strKey, bValue ? "true" : "false");
}

void CJsonObject::Set(const std::string& strKey, const CJsonObject& object)
{
    m_members.insert_or_assign(strKey, object.Text());
}

std::string CJsonObject::Text() const
{
    std::string strText = "{";
    for (const auto& [strKey, strValue] : m_members) {
        if (strText.size() > 1)
            strText += ',';
        strText += JsonString(strKey) + ':' + strValue;
    }
    return strText + '}';
}
