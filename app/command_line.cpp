// The command-line launch: "-t0", "-s1" and the like start the player at once,
// without a window.
#include "app/app.h"

#include "common/path.h"
#include "devices/device_list.h"
#include "player/player.h"

#include <cwchar>

ArgumentList g_arguments;

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// What ends an unquoted first argument: ASCII white space only (an
// ideographic space does not).
bool IsSpace(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

}  // namespace

ArgumentList SplitCommandLine(const wchar_t* commandLine)
{
    if (!commandLine || !*commandLine) return {ModulePath()};

    ArgumentList arguments;
    const wchar_t* s = commandLine;

    // The first argument ends at the next quote if it starts with one, else at
    // the next white space; backslashes mean nothing in it.
    std::wstring first;
    if (*s == L'"') {
        for (++s; *s && *s != L'"'; ++s) first += *s;
        if (*s) ++s;
    } else {
        for (; *s && !IsSpace(*s); ++s) first += *s;
        if (*s) ++s;
    }
    arguments.push_back(first);

    // The others: blanks separate outside quotes; 2n backslashes before a
    // quote give n and the quote toggles quoting, 2n+1 give n and a literal
    // quote; a third quote in a row inside quotes is a literal quote.
    while (IsBlank(*s)) ++s;
    if (!*s) return arguments;
    std::wstring current;
    int quotes = 0;  // 1 inside quotes; counts consecutive quotes
    size_t backslashes = 0;
    while (*s) {
        if (IsBlank(*s) && quotes == 0) {
            arguments.push_back(current);
            current.clear();
            backslashes = 0;
            while (IsBlank(*s)) ++s;
            if (!*s) return arguments;
        } else if (*s == L'\\') {
            current += *s++;
            ++backslashes;
        } else if (*s == L'"') {
            current.erase(current.size() - (backslashes + 1) / 2);
            if (backslashes % 2 == 0)
                ++quotes;
            else
                current += L'"';
            backslashes = 0;
            for (++s; *s == L'"'; ++s) {
                if (++quotes == 3) {
                    current += L'"';
                    quotes = 0;
                }
            }
            if (quotes == 2) quotes = 0;
        } else {
            current += *s++;
            backslashes = 0;
        }
    }
    arguments.push_back(current);
    return arguments;
}

bool ParseTunerSelector(const std::wstring& argument, int& type, int& ordinal)
{
    if (argument.size() < 3) return false;  // a bare "-t" selects nothing
    if (argument.compare(0, 2, L"-t") == 0)
        type = TunerType::Terrestrial;
    else if (argument.compare(0, 2, L"-s") == 0)
        type = TunerType::Satellite;
    else
        return false;
    // wcstol's rules: leading blanks, a sign, digits; no digits is 0. Out of
    // range saturates, which matches no tuner.
    ordinal = static_cast<int>(wcstol(argument.c_str() + 2, nullptr, 10));
    return true;
}

std::wstring BuildCommandLineArguments(int index, const std::wstring& extraParameters,
                                       const ArgumentList& arguments)
{
    std::wstring result = TunerOption(index) + extraParameters + L" ";
    for (size_t i = 1; i < arguments.size(); ++i) {
        result += arguments[i];  // as split: an argument with blanks reaches the player in pieces
        result += L' ';
    }
    const size_t end = result.find_last_not_of(L' ');
    result.erase(end == std::wstring::npos ? 0 : end + 1);
    return result;
}

int LaunchFromCommandLine()
{
    if (g_arguments.empty()) return 0;
    int type = TunerType::Unknown, ordinal = 0;
    if (!ParseTunerSelector(g_arguments[0], type, ordinal)) return 0;

    for (const DeviceEntry& entry : g_deviceList) {
        if (entry.type != type || entry.ordinal != ordinal) continue;
        LaunchPlayer(type,
                     BuildCommandLineArguments(entry.index, ExtraParameters(type), g_arguments));
        return 1;
    }
    return 0;
}
