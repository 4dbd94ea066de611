// Any byte string, terminated, through the number conversion: no fault, no
// undefined behaviour, and the result agrees with a wide reading of the same rules.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "settings/settings.h"

static long long WideReading(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    long long sign = *text == '-' ? -1 : 1;
    if (*text == '+' || *text == '-')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value > 10000000000LL ? value : value * 10 + (*text - '0');
    value *= sign;
    if (value > 2147483647LL)
        return 2147483647LL;
    if (value < -2147483648LL)
        return -2147483648LL;
    return value;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    int got = ConvertSettingNumber(text.c_str());
    if (got != WideReading(text.c_str()))
        abort();
    return 0;
}
