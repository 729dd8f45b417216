// What the application framework makes of the process's command line.
#pragma once

#include <cstddef>

// Splits a Windows command line into arguments by the C runtime's rules:
// blanks and tabs separate arguments outside quotes, 2n backslashes before a
// quote give n backslashes and a quote that opens or closes, 2n+1 give n
// backslashes and a literal quote, and "" inside quotes gives a literal quote.
// The program name, the first word, follows the simpler rule of CreateProcess:
// up to the closing quote when it starts with one, else up to the first blank.
class CommandLineArguments {
public:
    explicit CommandLineArguments(const char* commandLine);

    // The next argument, cut to the buffer when longer. False when none is left.
    bool Next(char* out, std::size_t capacity);

private:
    const char* m_next;
};

class CCommandLineInfo {
public:
    enum ShellCommand {
        FileNew = 0,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppRegister,
        AppUnregister,
        FileNothing = -1
    };

    // One argument. A switch (first character "-" or "/") arrives without that
    // character and with `isFlag` set.
    void ParseParam(const char* param, bool isFlag, bool isLast);

    ShellCommand m_nShellCommand = FileNew;
    // The first plain argument. The framework's parser cuts arguments to this
    // size, which no comparison of the launcher can tell from the whole text.
    char m_strFileName[260] = {};
};
