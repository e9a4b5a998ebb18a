#include "game/engine/KeyText.h"

bool IsTypeableKey(int code)
{
    if ((code >= 48 && code <= 57) || (code >= 65 && code <= 90) || code == 32)
        return true;
    return (code >= 186 && code <= 192) || (code >= 219 && code <= 222);
}

int VirtualKeyToChar(int code)
{
    if (code >= 65 && code <= 90)
        return code + 32;
    switch (code) {
    case 188: return ',';
    case 190: return '.';
    case 189: return '-';
    case 187: return '=';
    case 219: return '[';
    case 221: return ']';
    case 220: return '\\';
    case 186: return ';';
    case 222: return '\'';
    case 191: return '/';
    case 192: return '`';
    default: return code;
    }
}

int ShiftedChar(int c)
{
    static const char kDigits[] = ")!@#$%^&*(";
    if (c >= '0' && c <= '9')
        return kDigits[c - '0'];
    if (c >= 'a' && c <= 'z')
        return c - 32;
    switch (c) {
    case ',': return '<';
    case '.': return '>';
    case '-': return '_';
    case '=': return '+';
    case '[': return '{';
    case ']': return '}';
    case '\\': return '|';
    case ';': return ':';
    case '\'': return '"';
    case '/': return '?';
    case '`': return '~';
    default: return c;
    }
}
