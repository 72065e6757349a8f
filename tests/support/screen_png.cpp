// Screen capture from inside Wine written as a PNG: stored (uncompressed)
// deflate blocks, enough for test screenshots.
#include "screen_png.h"
#include <algorithm>
#include <cstdio>
#include <vector>

static unsigned long Crc(const unsigned char* p, size_t n, unsigned long c = 0xffffffffUL)
{
    static unsigned long table[256];
    if (!table[1])
        for (unsigned long i = 0; i < 256; ++i) {
            unsigned long v = i;
            for (int k = 0; k < 8; ++k) v = v & 1 ? 0xedb88320UL ^ (v >> 1) : v >> 1;
            table[i] = v;
        }
    for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c;
}

static void Be32(std::vector<unsigned char>& v, unsigned long x)
{
    for (int s = 24; s >= 0; s -= 8) v.push_back((unsigned char)(x >> s));
}

static void Chunk(FILE* f, const char* type, const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> c;
    Be32(c, (unsigned long)data.size());
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    Be32(c, Crc(c.data() + 4, c.size() - 4) ^ 0xffffffffUL);
    fwrite(c.data(), 1, c.size(), f);
}

bool SaveScreenPng(const char* path, const RECT& area)
{
    int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    int stride = (w * 3 + 3) / 4 * 4;
    std::vector<unsigned char> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        const unsigned char* row = (const unsigned char*)bits + (size_t)y * stride;
        for (int x = 0; x < w; ++x) {
            raw.push_back(row[3 * x + 2]);
            raw.push_back(row[3 * x + 1]);
            raw.push_back(row[3 * x]);
        }
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    std::vector<unsigned char> z = {0x78, 0x01};
    unsigned long a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t off = 0; off < raw.size() || off == 0; off += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - off);
        z.push_back(off + n >= raw.size() ? 1 : 0);
        z.push_back((unsigned char)(n & 0xff));
        z.push_back((unsigned char)(n >> 8));
        z.push_back((unsigned char)(~n & 0xff));
        z.push_back((unsigned char)((~n >> 8) & 0xff));
        z.insert(z.end(), raw.begin() + off, raw.begin() + off + n);
        if (off + n >= raw.size()) break;
    }
    Be32(z, (b << 16) | a);
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    static const unsigned char sig[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    fwrite(sig, 1, 8, f);
    std::vector<unsigned char> ihdr;
    Be32(ihdr, w);
    Be32(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(f, "IHDR", ihdr);
    Chunk(f, "IDAT", z);
    Chunk(f, "IEND", {});
    fclose(f);
    return true;
}
