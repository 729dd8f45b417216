#include "platform/sim/CodePage.h"

#include <cerrno>
#include <vector>

// The simulated machine also runs inside the media authors' tools on
// Windows, where the system converts between its code pages itself; the C
// library there has no iconv.
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace codepage {

namespace {

const char* IconvName(unsigned codePage)
{
    switch (codePage) {
    case 1252: return "CP1252";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    default: return nullptr;
    }
}

#ifdef _WIN32
// One conversion by the system; a byte sequence that has no form in the
// target makes the whole call fail when `replacement` is null, and is
// replaced by the system's default character otherwise.
unsigned SystemCodePage(const char* name)
{
    const std::string_view n(name);
    if (n == "UTF-8")
        return CP_UTF8;
    return static_cast<unsigned>(std::stoul(std::string(n.substr(2)))); // "CP1252"
}

std::optional<std::string> Convert(const char* from, const char* to, std::string_view input,
                                   const char* replacement)
{
    if (input.empty())
        return std::string();
    const unsigned fromPage = SystemCodePage(from);
    const unsigned toPage = SystemCodePage(to);
    const int size = static_cast<int>(input.size());
    const int wideLength = ::MultiByteToWideChar(fromPage, replacement ? 0 : MB_ERR_INVALID_CHARS,
                                                 input.data(), size, nullptr, 0);
    if (wideLength == 0)
        return std::nullopt;
    std::vector<wchar_t> wide(wideLength);
    ::MultiByteToWideChar(fromPage, replacement ? 0 : MB_ERR_INVALID_CHARS, input.data(), size,
                          wide.data(), wideLength);
    BOOL usedDefault = FALSE;
    BOOL* check = toPage == CP_UTF8 ? nullptr : &usedDefault;
    const int length = ::WideCharToMultiByte(toPage, 0, wide.data(), wideLength, nullptr, 0,
                                             nullptr, check);
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(toPage, 0, wide.data(), wideLength, out.data(), length, nullptr, check);
    if (usedDefault && replacement == nullptr)
        return std::nullopt;
    return out;
}

#else
// One iconv conversion; on a byte sequence that has no form in the target,
// `replacement` stands in for one byte of the input (or the whole call fails
// when `replacement` is null).
std::optional<std::string> Convert(const char* from, const char* to, std::string_view input,
                                   const char* replacement)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    std::vector<char> buffer(input.size() * 4 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    bool failed = false;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), outPtr);
        if (result != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        if (replacement == nullptr) {
            failed = true;
            break;
        }
        out += replacement;
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    if (failed)
        return std::nullopt;
    return out;
}

#endif

char FoldByte(unsigned codePage, unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    if (codePage == 1252) {
        // Latin-1 capitals, and the three capitals 1252 adds in 0x80-0x9F.
        if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A || c == 0x8C || c == 0x8E)
            return static_cast<char>(c + (c >= 0xC0 ? 0x20 : 0x10));
        if (c == 0x9F)
            return static_cast<char>(0xFF);
    }
    return static_cast<char>(c);
}

} // namespace

bool IsSupported(unsigned codePage) { return IconvName(codePage) != nullptr; }

bool IsLeadByte(unsigned codePage, std::uint8_t byte)
{
    switch (codePage) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
    }
}

std::size_t CharLength(unsigned codePage, std::string_view text, std::size_t at)
{
    if (IsLeadByte(codePage, static_cast<std::uint8_t>(text[at])) && at + 1 < text.size() &&
        text[at + 1] != '\0')
        return 2;
    return 1;
}

std::size_t FindLastOf(unsigned codePage, std::string_view text, std::string_view chars)
{
    std::size_t found = std::string_view::npos;
    for (std::size_t at = 0; at < text.size(); at += CharLength(codePage, text, at)) {
        if (chars.find(text[at]) != std::string_view::npos)
            found = at;
    }
    return found;
}

std::size_t FindLast(unsigned codePage, std::string_view text, char c)
{
    return FindLastOf(codePage, text, std::string_view(&c, 1));
}

std::string FoldCase(unsigned codePage, std::string_view name)
{
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = CharLength(codePage, name, at);
        if (length == 2)
            folded.append(name.substr(at, 2));
        else
            folded += FoldByte(codePage, static_cast<unsigned char>(name[at]));
        at += length;
    }
    return folded;
}

std::optional<std::string> FromUtf8(unsigned codePage, std::string_view utf8)
{
    const char* name = IconvName(codePage);
    if (name == nullptr)
        return std::nullopt;
    return Convert("UTF-8", name, utf8, nullptr);
}

std::string ToUtf8(unsigned codePage, std::string_view bytes)
{
    const char* name = IconvName(codePage);
    if (name == nullptr)
        name = "CP1252";
    return Convert(name, "UTF-8", bytes, "\xEF\xBF\xBD").value_or(std::string());
}

} // namespace codepage
