// The pictures as the built KH_Schoner.scr carries them: read back byte for byte
// from its resources, the way the dialog manager, the shell and the scene find them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/data/expected_pictures.h"
#include "tests/support/test_support.h"

#include <shellapi.h>

namespace {

const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

struct Rgb {
    int r, g, b;
};

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module = LoadLibraryExA(ScrPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }

    void SetUp() override { ASSERT_NE(module, nullptr) << ScrPath(); }

    // The resource's bytes, empty when it is not stored under German.
    static std::string Bytes(LPCSTR type, int id)
    {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kGerman);
        if (!found)
            return {};
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }

    static BITMAPINFOHEADER Header(const std::string& bytes)
    {
        BITMAPINFOHEADER header = {};
        if (bytes.size() >= sizeof header)
            memcpy(&header, bytes.data(), sizeof header);
        return header;
    }

    static HMODULE module;
};

HMODULE Pictures::module = nullptr;

// Rows of a bottom-up RLE4 bitmap, listed from the top, one hex digit a pixel;
// '?' marks pixels the stream never set. Fails on anything outside the picture
// and on a stream without its end-of-bitmap mark.
::testing::AssertionResult DecodeRle4(const std::string& pixels, int width, int height,
                                      std::vector<std::string>& rows)
{
    rows.assign(height, std::string(width, '?'));
    const auto* p = reinterpret_cast<const unsigned char*>(pixels.data());
    size_t at = 0;
    int x = 0, y = 0;  // y counts stored rows, from the bottom
    auto put = [&](int index) {
        if (x >= width || y >= height)
            return false;
        rows[height - 1 - y][x++] = "0123456789ABCDEF"[index];
        return true;
    };
    while (at + 1 < pixels.size()) {
        int count = p[at], value = p[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                if (!put(i % 2 ? value & 15 : value >> 4))
                    return ::testing::AssertionFailure() << "run beyond row " << y;
        } else if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            if (at != pixels.size())
                return ::testing::AssertionFailure() << "bytes after end of bitmap";
            return ::testing::AssertionSuccess();
        } else if (value == 2) {
            return ::testing::AssertionFailure() << "delta escape";
        } else {
            for (int i = 0; i < value; ++i)
                if (at + i / 2 >= pixels.size() || !put(i % 2 ? p[at + i / 2] & 15 : p[at + i / 2] >> 4))
                    return ::testing::AssertionFailure() << "absolute run beyond row " << y;
            at += ((value + 3) / 4) * 2;
        }
    }
    return ::testing::AssertionFailure() << "no end of bitmap";
}

// Decodes the pixel data behind the 16-entry palette and compares it with the
// generator's rows.
::testing::AssertionResult DecodesToExpected(const std::string& bitmap, const char* const* expected,
                                             int width, int height, std::vector<std::string>& rows)
{
    ::testing::AssertionResult decoded = DecodeRle4(bitmap.substr(40 + 64), width, height, rows);
    if (!decoded)
        return decoded;
    for (int y = 0; y < height; ++y)
        if (rows[y] != expected[y])
            return ::testing::AssertionFailure() << "row " << y << ": " << rows[y];
    return ::testing::AssertionSuccess();
}

// 0xRRGGBB of a palette entry, named by its hex digit as in the expected rows.
DWORD PaletteColour(const std::string& bitmap, char digit)
{
    const auto* quad = reinterpret_cast<const unsigned char*>(bitmap.data()) + 40 +
                       4 * std::stoi(std::string(1, digit), nullptr, 16);
    return (quad[2] << 16) | (quad[1] << 8) | quad[0];
}

std::map<DWORD, int> ColourCounts(const std::string& bitmap, const std::vector<std::string>& rows)
{
    std::map<DWORD, int> counts;
    for (const std::string& row : rows)
        for (char digit : row)
            ++counts[PaletteColour(bitmap, digit)];
    return counts;
}

const DWORD kDialogGrey = 0xC6C3C6, kYellow = 0xFFFF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

TEST_F(Pictures, EveryPictureIsStoredUnderGerman)
{
    for (int id : {IDB_LOGO, IDB_BEAR, IDB_BANNER, IDB_WORLD_MAP, IDB_BEAR_TEXTURE})
        EXPECT_FALSE(Bytes(RT_BITMAP, id).empty()) << "bitmap " << id;
    EXPECT_FALSE(Bytes(RT_GROUP_ICON, IDI_SAVER).empty());
    EXPECT_FALSE(Bytes(RT_GROUP_CURSOR, IDR_LINK_CURSOR).empty());
}

TEST_F(Pictures, BitmapHeadersGiveSizeDepthCompressionAndPalette)
{
    struct Expect {
        int id, width, height, bits, compression, paletteEntries, pixelBytes;
    };
    // The run-length coded sizes are whatever the coder made; -1 skips them.
    for (const Expect& e : {Expect{IDB_LOGO, 61, 30, 4, BI_RLE4, 16, -1},
                            Expect{IDB_BEAR, 39, 50, 4, BI_RGB, 16, 1000},
                            Expect{IDB_BANNER, 250, 19, 4, BI_RLE4, 16, -1},
                            Expect{IDB_WORLD_MAP, 256, 128, 24, BI_RGB, 0, 256 * 128 * 3},
                            Expect{IDB_BEAR_TEXTURE, 128, 128, 24, BI_RGB, 0, 128 * 384}}) {
        SCOPED_TRACE(e.id);
        std::string bytes = Bytes(RT_BITMAP, e.id);
        BITMAPINFOHEADER h = Header(bytes);
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, e.width);
        EXPECT_EQ(h.biHeight, e.height);  // positive: rows run bottom-up
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, e.bits);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(e.compression));
        size_t pixels = bytes.size() - 40 - 4 * e.paletteEntries;
        EXPECT_EQ(h.biSizeImage, pixels);
        if (e.pixelBytes >= 0) {
            EXPECT_EQ(pixels, static_cast<size_t>(e.pixelBytes));
        }
    }
}

TEST_F(Pictures, LogoDecodesToTheMonogramInItsFourColours)
{
    std::string bytes = Bytes(RT_BITMAP, IDB_LOGO);
    std::vector<std::string> rows;
    ASSERT_TRUE(DecodesToExpected(bytes, kExpectedLogoRows, 61, 30, rows));

    std::map<DWORD, int> counts = ColourCounts(bytes, rows);
    EXPECT_EQ(counts.size(), 4u);
    for (DWORD c : {kDialogGrey, kYellow, kBlue, kWhite})
        EXPECT_GT(counts[c], 0) << std::hex << c;
    auto at = [&](int x, int y) { return PaletteColour(bytes, rows[y][x]); };
    EXPECT_EQ(at(0, 0), kDialogGrey);  // corner above the arch
    EXPECT_EQ(at(30, 0), kBlue);       // rim at the top of the arch
    EXPECT_EQ(at(20, 20), kWhite);     // field inside the left glyph
    EXPECT_EQ(at(40, 20), kYellow);    // bowl field
    EXPECT_EQ(at(40, 5), kWhite);      // quarter field, upper right
}

TEST_F(Pictures, BannerDecodesToTheNameInBlueOnYellow)
{
    std::string bytes = Bytes(RT_BITMAP, IDB_BANNER);
    std::vector<std::string> rows;
    ASSERT_TRUE(DecodesToExpected(bytes, kExpectedBannerRows, 250, 19, rows));

    std::map<DWORD, int> counts = ColourCounts(bytes, rows);
    EXPECT_EQ(counts.size(), 2u);
    EXPECT_GT(counts[kYellow], counts[kBlue]);
    EXPECT_GT(counts[kBlue], 250 * 19 / 10);  // letters, not an empty yellow strip
}

// The bitmap as the system itself decodes it for a dialog's picture control,
// compared with the palette colours of the expected rows.
void ExpectSystemDecodes(HMODULE module, int id, const std::string& bitmap, const char* const* expected,
                         int width, int height)
{
    HBITMAP loaded = static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(width * height);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, loaded, 0, height, pixels.data(), &format, DIB_RGB_COLORS), height);
    ReleaseDC(nullptr, screen);
    DeleteObject(loaded);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            wrong += (pixels[y * width + x] & 0xFFFFFF) != PaletteColour(bitmap, expected[y][x]);
    EXPECT_EQ(wrong, 0);
}

TEST_F(Pictures, SystemDecodesTheRunLengthCodedPicturesAsIntended)
{
    ExpectSystemDecodes(module, IDB_LOGO, Bytes(RT_BITMAP, IDB_LOGO), kExpectedLogoRows, 61, 30);
    ExpectSystemDecodes(module, IDB_BANNER, Bytes(RT_BITMAP, IDB_BANNER), kExpectedBannerRows, 250, 19);
}

// A texel of a 24-bit texture: x from the left, row as stored (0 is the bottom).
struct Texture {
    std::string bytes;
    int width;
    Rgb At(int x, int row) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 40 + 3 * (row * width + x);
        return {p[2], p[1], p[0]};
    }
};

bool Ocean(Rgb c) { return c.b > c.r + 10 && c.b > c.g + 10; }

TEST_F(Pictures, BearTextureHasAPlainBorderAndIsStoredUprightUnmirrored)
{
    Texture t{Bytes(RT_BITMAP, IDB_BEAR_TEXTURE), 128};
    for (int i = 0; i < 128; ++i)
        for (Rgb c : {t.At(i, 0), t.At(i, 127), t.At(0, i), t.At(127, i)})
            ASSERT_TRUE(c.r == 0 && c.g == 220 && c.b == 255) << i;

    // The yellow badge hangs low at the viewer's left; the red bow sits high.
    long badgeX = 0, badgeRow = 0, badge = 0, bowRow = 0, bow = 0;
    for (int row = 0; row < 128; ++row)
        for (int x = 0; x < 128; ++x) {
            Rgb c = t.At(x, row);
            if (c.r > 220 && c.g > 200 && c.b < 60)
                badgeX += x, badgeRow += row, ++badge;
            if (c.r > 180 && c.g < 60 && c.b < 60)
                bowRow += row, ++bow;
        }
    ASSERT_GT(badge, 100);
    ASSERT_GT(bow, 100);
    EXPECT_LT(badgeX / badge, 50);
    EXPECT_LT(badgeRow / badge, 40);
    EXPECT_GT(bowRow / bow, badgeRow / badge + 30);
}

TEST_F(Pictures, WorldMapRunsFromSouthernIceWithThePrimeMeridianInTheMiddle)
{
    Texture map{Bytes(RT_BITMAP, IDB_WORLD_MAP), 256};
    auto at = [&](double longitude, double latitude) {
        return map.At(static_cast<int>((longitude + 180) / 360 * 256), static_cast<int>((latitude + 90) / 180 * 128));
    };
    // Antarctica is ice all round for the first eight rows (11 degrees); the
    // Arctic's ice thins out well before that, so this tells the poles apart.
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 256; ++x) {
            Rgb south = map.At(x, row);
            ASSERT_TRUE(south.r > 200 && south.g > 200 && south.b > 200) << x << "," << row;
        }
    EXPECT_TRUE(Ocean(at(0, 5)));            // Gulf of Guinea
    EXPECT_FALSE(Ocean(at(10, 10)));         // Nigeria
    EXPECT_FALSE(Ocean(at(-60, -10)));       // Amazon basin, west of the middle
    EXPECT_TRUE(Ocean(at(-30, 30)));         // the Atlantic between them and not mirrored
    EXPECT_FALSE(Ocean(at(135, -25)));       // Australia
    int ocean = 0;
    for (int row = 0; row < 128; ++row)
        for (int x = 0; x < 256; ++x)
            ocean += Ocean(map.At(x, row));
    EXPECT_GT(ocean, 256 * 128 / 2);
}

#pragma pack(push, 2)
struct GroupEntry {  // one entry of an icon or cursor group as stored in resources
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct CursorGroupEntry {
    WORD width, height, planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// The one entry of a group that must hold exactly one image.
template <typename Entry>
::testing::AssertionResult OnlyEntry(const std::string& group, Entry& entry)
{
    if (group.size() != 6 + sizeof entry)
        return ::testing::AssertionFailure() << "group of " << group.size() << " bytes";
    memcpy(&entry, group.data() + 6, sizeof entry);
    return ::testing::AssertionSuccess();
}

TEST_F(Pictures, IconIsOne32PixelImageInTheStandardSixteenColours)
{
    GroupEntry entry;
    ASSERT_TRUE(OnlyEntry(Bytes(RT_GROUP_ICON, IDI_SAVER), entry));
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 32);
    EXPECT_EQ(entry.colours, 16);
    EXPECT_EQ(entry.bitCount, 4);
    EXPECT_EQ(entry.bytes, 744u);

    std::string image = Bytes(RT_ICON, entry.id);
    ASSERT_EQ(image.size(), 744u);
    BITMAPINFOHEADER h = Header(image);
    EXPECT_EQ(h.biWidth, 32);
    EXPECT_EQ(h.biHeight, 64);  // colour image and mask
    EXPECT_EQ(h.biBitCount, 4);
    const DWORD vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                           0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(PaletteColour(image, "0123456789ABCDEF"[i]), vga[i]) << i;

    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDI_SAVER));
    EXPECT_NE(icon, nullptr);
}

TEST_F(Pictures, ShellShowsTheSaverIconForTheFile)
{
    // A file manager shows the file's first icon group, which must be ours.
    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExA(ScrPath().c_str(), -1, nullptr, nullptr, 0), 1u);
    ASSERT_EQ(ExtractIconExA(ScrPath().c_str(), 0, &large, nullptr, 1), 1u);

    // Drawn over magenta the way the shell draws it, top-down rows of 0x00RRGGBB.
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* pixels = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &format, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    ASSERT_NE(canvas, nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    std::fill(pixels, pixels + 32 * 32, 0xFF00FFu);
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, large, 32, 32, 0, nullptr, DI_NORMAL));
    GdiFlush();
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF00FFu);          // rounded corner shows through
    EXPECT_EQ(pixels[28 * 32 + 16] & 0xFFFFFF, 0x000080u);  // blue ground under the arch
    EXPECT_EQ(pixels[18 * 32 + 11] & 0xFFFFFF, 0xFFFFFFu);  // field inside the left glyph
    EXPECT_EQ(pixels[18 * 32 + 20] & 0xFFFFFF, 0xFFFF00u);  // bowl field
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    DestroyIcon(large);
}

TEST_F(Pictures, LinkCursorHasItsHotSpotOnTheWhiteFingertip)
{
    CursorGroupEntry entry;
    ASSERT_TRUE(OnlyEntry(Bytes(RT_GROUP_CURSOR, IDR_LINK_CURSOR), entry));
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.bitCount, 1);

    std::string image = Bytes(RT_CURSOR, entry.id);
    ASSERT_EQ(image.size(), 4 + 40 + 8 + 128 + 128u);
    WORD hotSpot[2];
    memcpy(hotSpot, image.data(), sizeof hotSpot);
    EXPECT_EQ(hotSpot[0], 7);
    EXPECT_EQ(hotSpot[1], 1);
    BITMAPINFOHEADER h = Header(image.substr(4));
    EXPECT_EQ(h.biWidth, 32);
    EXPECT_EQ(h.biHeight, 64);
    EXPECT_EQ(h.biBitCount, 1);

    // Bit of the colour image (white when set) and of the mask (see-through
    // when set) at x, y counted from the top.
    auto bit = [&](size_t offset, int x, int y) {
        unsigned char byte = static_cast<unsigned char>(image[offset + (31 - y) * 4 + x / 8]);
        return (byte >> (7 - x % 8)) & 1;
    };
    const size_t colourBits = 4 + 40 + 8, maskBits = colourBits + 128;
    EXPECT_EQ(bit(colourBits, 7, 1), 1);  // the fingertip is white ...
    EXPECT_EQ(bit(maskBits, 7, 1), 0);
    EXPECT_EQ(bit(colourBits, 7, 0), 0);  // ... under a black outline
    EXPECT_EQ(bit(maskBits, 7, 0), 0);
    EXPECT_EQ(bit(maskBits, 0, 0), 1);    // and the corner lets the screen through

    EXPECT_NE(LoadCursorA(module, MAKEINTRESOURCEA(IDR_LINK_CURSOR)), nullptr);
}

}  // namespace
