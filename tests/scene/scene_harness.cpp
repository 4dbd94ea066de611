#include "tests/scene/scene_harness.h"

#include "tests/support/test_support.h"

static DWORD WINAPI FixedSeed()
{
    return kTestSeed;
}

HWND CreateSceneWindow(const SceneSettings& settings, int width, int height)
{
    RemoveControlIni();
    std::string ini = "[Screen Saver.KH_Schoner]\r\nArt=" + settings.art +
                      "\r\nSpeed=" + std::to_string(settings.speed) +
                      "\r\nNumber=" + std::to_string(settings.number) + "\r\nText=" +
                      settings.text + "\r\nFont=Arial\r\nWeight=0\r\nItalic=0\r\n";
    WriteWholeFile(ControlIniPath(), ini);
    return OpenSceneWindow(width, height, FixedSeed);
}

std::vector<unsigned char> DrawAndRead(HWND window, int width, int height)
{
    PaintFrame(window);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

void SaveBitmap(const std::string& path, const std::vector<unsigned char>& rgb, int width,
                int height)
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    const DWORD rowBytes = static_cast<DWORD>(width) * 3;
    const DWORD paddedRow = (rowBytes + 3) & ~3u;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = paddedRow * height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<char*>(&info), sizeof info);
    std::string row(paddedRow, '\0');
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            row[x * 3] = static_cast<char>(p[2]);
            row[x * 3 + 1] = static_cast<char>(p[1]);
            row[x * 3 + 2] = static_cast<char>(p[0]);
        }
        bytes += row;
    }
    WriteWholeFile(path, bytes);
}
