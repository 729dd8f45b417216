#include "framework/CommandLineInfo.h"

#include "text/Text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

CommandLineArguments::CommandLineArguments(const char* commandLine)
    : m_next(commandLine != nullptr ? commandLine : "")
{
    const char* p = m_next;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            ++p;
    }
    m_next = p;
}

bool CommandLineArguments::Next(char* out, std::size_t capacity)
{
    const char* p = m_next;
    while (IsBlank(*p))
        ++p;
    if (*p == '\0') {
        m_next = p;
        return false;
    }

    std::size_t length = 0;
    auto put = [&](char c) {
        if (length + 1 < capacity)
            out[length++] = c;
    };
    bool quoted = false;
    while (*p != '\0' && (quoted || !IsBlank(*p))) {
        std::size_t backslashes = 0;
        while (*p == '\\') {
            ++backslashes;
            ++p;
        }
        if (*p == '"') {
            for (std::size_t i = 0; i < backslashes / 2; ++i)
                put('\\');
            if (backslashes % 2 == 1) {
                put('"');
            } else if (quoted && p[1] == '"') {
                put('"');
                ++p;
            } else {
                quoted = !quoted;
            }
            ++p;
        } else {
            for (std::size_t i = 0; i < backslashes; ++i)
                put('\\');
            if (*p != '\0' && (quoted || !IsBlank(*p)))
                put(*p++);
        }
    }
    if (capacity > 0)
        out[length] = '\0';
    m_next = p;
    return true;
}

void CCommandLineInfo::ParseParam(const char* param, bool isFlag, bool /*isLast*/)
{
    // Switches would pick a shell command (print, DDE, registration); the
    // launcher always replaces it with FileNothing, so they are only consumed.
    if (isFlag)
        return;
    if (m_strFileName[0] == '\0')
        text::Copy(m_strFileName, param); // a text too long stays empty
}
