// The number conversion and the loader's defaults, natively under AddressSanitizer
// and UndefinedBehaviorSanitizer.
#include <stdio.h>
#include <string.h>

#include "settings/settings.h"

static int failures = 0;

static void Expect(const char* text, int expected)
{
    int got = ConvertSettingNumber(text);
    if (got != expected) {
        printf("ConvertSettingNumber(\"%s\") gave %d, expected %d\n", text, got, expected);
        ++failures;
    }
}

int main()
{
    Expect("", 0);
    Expect("15", 15);
    Expect("  \t\n-7x", -7);
    Expect("+9", 9);
    Expect("-", 0);
    Expect("ab", 0);
    Expect("2147483647", 2147483647);
    Expect("2147483648", 2147483647);
    Expect("-2147483648", -2147483647 - 1);
    Expect("99999999999999999999999999", 2147483647);
    Expect("-99999999999999999999999999", -2147483647 - 1);
    Expect("1 2", 1);

    // With nothing stored the loader writes and then reads the seven defaults.
    if (!LoadSaverSettings() || strcmp(saverSettings.Art, "KH-Logo") != 0 ||
        saverSettings.Speed != 15 || saverSettings.Number != 5 ||
        strcmp(saverSettings.Text, "spitze") != 0 || strcmp(saverSettings.Font, "Arial") != 0 ||
        saverSettings.Weight != 0 || saverSettings.Italic != 0) {
        printf("the loader did not give the defaults\n");
        ++failures;
    }
    printf("%s\n", failures ? "native checks FAILED" : "native checks passed");
    return failures ? 1 : 0;
}
