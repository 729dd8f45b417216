#include "text/Text.h"

namespace text {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

} // namespace

std::size_t Length(const char* s)
{
    std::size_t n = 0;
    while (s[n] != '\0')
        ++n;
    return n;
}

bool Copy(char* out, std::size_t capacity, const char* source)
{
    if (capacity == 0)
        return false;
    out[0] = '\0';
    return Append(out, capacity, source);
}

bool Append(char* out, std::size_t capacity, const char* tail)
{
    if (tail == nullptr)
        return false;
    const std::size_t head = Length(out);
    const std::size_t added = Length(tail);
    if (head >= capacity || added >= capacity - head)
        return false;
    for (std::size_t i = 0; i <= added; ++i)
        out[head + i] = tail[i];
    return true;
}

bool Join(char* out, std::size_t capacity, std::initializer_list<const char*> parts)
{
    if (capacity == 0)
        return false;
    out[0] = '\0';
    for (const char* part : parts) {
        if (!Append(out, capacity, part)) {
            out[0] = '\0';
            return false;
        }
    }
    return true;
}

bool EqualsIgnoreCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
        if (*a == '\0')
            return true;
    }
}

bool EqualsIgnoreCaseN(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
        if (a[i] == '\0')
            return true;
    }
    return true;
}

const char* FindLast(const char* s, char c)
{
    const char* found = nullptr;
    for (; *s != '\0'; ++s) {
        if (*s == c)
            found = s;
    }
    return found;
}

const char* FindLastOf(Platform& os, const char* s, const char* set)
{
    const char* found = nullptr;
    while (*s != '\0') {
        if (os.IsDBCSLeadByte(static_cast<win::BYTE>(*s)) && s[1] != '\0') {
            s += 2;
            continue;
        }
        for (const char* c = set; *c != '\0'; ++c) {
            if (*s == *c)
                found = s;
        }
        ++s;
    }
    return found;
}

std::int32_t ToInt32(const char* s)
{
    while (IsCSpace(*s))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-')
        negative = (*s++ == '-');
    constexpr std::int64_t limit = 2147483648LL; // |INT32_MIN|
    std::int64_t magnitude = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        if (magnitude < limit)
            magnitude = magnitude * 10 + (*s - '0');
    }
    if (negative)
        return magnitude >= limit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    return magnitude >= limit ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

void FormatInt(char (&out)[12], std::int32_t value)
{
    char digits[12];
    int count = 0;
    std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int at = 0;
    if (value < 0)
        out[at++] = '-';
    while (count > 0)
        out[at++] = digits[--count];
    out[at] = '\0';
}

} // namespace text
