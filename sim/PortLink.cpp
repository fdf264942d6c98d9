#include "PortLink.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

std::string PortLinkPath(const std::string& strPortName)
{
    std::string strName = strPortName;
    if (strName.ends_with(':'))
        strName.pop_back();
    for (char& c : strName)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string strNumber = strName.starts_with("com") ? strName.substr(3) : "";
    const bool bNumber = !strNumber.empty() && strNumber[0] != '0' &&
                         strNumber.find_first_not_of("0123456789") == std::string::npos;
    if (!bNumber)
        return {};

    const char* pszConfig = std::getenv("XDG_CONFIG_HOME");
    const char* pszHome = std::getenv("HOME");
    std::string strConfig;
    if (pszConfig != nullptr && *pszConfig != '\0')
        strConfig = pszConfig;
    else if (pszHome != nullptr && *pszHome != '\0')
        strConfig = std::string(pszHome) + "/.config";
    else
        return {};
    return strConfig + "/KOLV/ports/" + strName;
}

bool CreatePortLink(const std::string& strLink, const std::string& strTarget, std::string& strError)
{
    const fs::path link(strLink);
    std::error_code error;
    const fs::file_status status = fs::symlink_status(link, error);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        strError = strLink + " exists and is not a link";
        return false;
    }
    fs::create_directories(link.parent_path(), error);
    // Made aside and renamed over, so the utility never finds the name missing.
    const fs::path temporary = link.string() + ".new" + std::to_string(getpid());
    fs::remove(temporary, error);
    fs::create_symlink(strTarget, temporary, error);
    if (!error)
        fs::rename(temporary, link, error);
    if (error) {
        strError = strLink + ": " + error.message();
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

void RemovePortLink(const std::string& strLink, const std::string& strTarget)
{
    std::error_code error;
    if (fs::read_symlink(strLink, error) == fs::path(strTarget) && !error)
        fs::remove(strLink, error);
}
