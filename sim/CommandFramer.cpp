#include "CommandFramer.h"

#include <algorithm>
#include <array>

namespace
{

// '#' stands for one decimal digit.
constexpr std::array<std::string_view, 7> kCommandForms{
    "?:", "S:", "P:", "D:", "R:#", "I:#", "ID:#"};

// How many leading bytes fit the form (at most the form's length).
size_t FittingBytes(std::string_view form, std::string_view bytes)
{
    size_t n = 0;
    while (n < form.size() && n < bytes.size() &&
           (form[n] == '#' ? (bytes[n] >= '0' && bytes[n] <= '9') : bytes[n] == form[n]))
        ++n;
    return n;
}

} // namespace

std::vector<CCommandFramer::CPiece> CCommandFramer::Feed(std::string_view bytes)
{
    m_strPending.append(bytes);
    std::vector<CPiece> pieces;
    std::string strGarbage;
    auto FlushGarbage = [&] {
        if (!strGarbage.empty())
            pieces.push_back({false, std::move(strGarbage)});
        strGarbage.clear();
    };

    size_t nPos = 0;
    while (nPos < m_strPending.size()) {
        const std::string_view rest = std::string_view(m_strPending).substr(nPos);
        size_t nCommand = 0;
        size_t nFailedAfter = 0;
        bool bUndecided = false;
        for (std::string_view form : kCommandForms) {
            const size_t nFit = FittingBytes(form, rest);
            if (nFit == form.size())
                nCommand = nFit;
            else if (nFit == rest.size())
                bUndecided = true;
            else
                nFailedAfter = std::max(nFailedAfter, nFit);
        }
        if (nCommand > 0) {
            FlushGarbage();
            pieces.push_back({true, std::string(rest.substr(0, nCommand))});
            nPos += nCommand;
        } else if (bUndecided) {
            break; // wait for the bytes that decide
        } else {
            // A broken command is dropped whole ("ID:-" is no "D:"); framing
            // starts again at the byte that broke it.
            const size_t nDrop = std::max<size_t>(1, nFailedAfter);
            strGarbage.append(rest.substr(0, nDrop));
            nPos += nDrop;
        }
    }
    FlushGarbage();
    m_strPending.erase(0, nPos);
    return pieces;
}
