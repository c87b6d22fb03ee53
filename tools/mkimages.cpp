// Draws Corven's icons and bullet bitmaps as 16-colour .ico and .bmp files, the same bytes every time.
//
// Usage: mkimages OUTPUT_FOLDER
//
// Shapes are laid out on a 128-unit square and sampled at pixel centres with integer arithmetic
// only, so the output never depends on the machine's floating point.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The standard 16-colour palette, by index.
enum Colour : uint8_t {
    Black = 0,
    DarkRed,
    DarkGreen,
    DarkYellow,
    DarkBlue,
    DarkMagenta,
    DarkCyan,
    LightGrey,
    DarkGrey,
    Red,
    Green,
    Yellow,
    Blue,
    Magenta,
    Cyan,
    White,
    Clear = 0xFF, // transparent: AND mask set, colour bits 0
};

constexpr uint8_t kPalette[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

struct Image {
    int size;
    std::vector<uint8_t> pixels; // top-down, one palette index (or Clear) per pixel
};

void Put16(Bytes& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

int64_t Square(int64_t v)
{
    return v * v;
}

// Where the band of light crosses the disc in each animation frame, along the diagonal from the
// upper left to the lower right (128-unit coordinates, 0 at the centre). Shown 1, 2, 3, 2, 1, 0, ...
// the light sweeps across the disc and back.
constexpr int kSweep[4] = {-42, -14, 14, 42};
constexpr int kNoLight = 1000; // the program icon's disc: a still glint, off the sweep

// A compact disc: a black rim (inside radius `rim`) and hub ring that outline it on any face, a dark cyan
// body with a lighter track, and a band of light (white, edged in cyan) at `light` along the diagonal. The
// outline and the hole are the same for every frame, so the frames share one mask.
uint8_t DiscAt(int ux, int uy, int light, int rim = 54)
{
    int dx = ux - 64;
    int dy = uy - 64;
    int64_t r2 = Square(dx) + Square(dy);
    if (r2 > Square(60) || r2 < Square(11)) {
        return Clear;
    }
    if (r2 > Square(rim) || r2 < Square(17)) {
        return Black;
    }
    // Distance from the band's centre line, measured along the diagonal (x + y) / sqrt(2).
    int along = (dx + dy) * 181 / 256;
    int off = along - light;
    if (off >= -4 && off <= 4) {
        return White;
    }
    if (off >= -10 && off <= 10) {
        return Cyan;
    }
    if (r2 < Square(25)) {
        return DarkGrey;
    }
    return (r2 > Square(38) && r2 < Square(42)) ? Cyan : DarkCyan;
}

// Signed area test of point p against the edge a-b, in 128-unit coordinates.
int64_t Edge(int ax, int ay, int bx, int by, int px, int py)
{
    return static_cast<int64_t>(bx - ax) * (py - ay) - static_cast<int64_t>(by - ay) * (px - ax);
}

// A warning sign: a yellow triangle with a black edge and a black exclamation mark, or Clear
// outside it. Its corners, and how thick its lines are, depend on the image's size: at 16 pixels
// it fills most of the icon and every line is at least one pixel wide, so it still reads as one.
struct Sign {
    int ax, ay, bx, by, cx, cy; // lower left, lower right, top
    int border;                 // units
    int barHalf;                // half the mark's width, units
};
constexpr Sign kSign32 = {52, 124, 126, 124, 89, 52, 6, 5};
constexpr Sign kSign16 = {4, 127, 124, 127, 64, 8, 12, 9};

uint8_t WarningAt(int ux, int uy, const Sign& s)
{
    int64_t e1 = Edge(s.ax, s.ay, s.cx, s.cy, ux, uy);
    int64_t e2 = Edge(s.cx, s.cy, s.bx, s.by, ux, uy);
    int64_t e3 = Edge(s.bx, s.by, s.ax, s.ay, ux, uy);
    bool inside = (e1 <= 0 && e2 <= 0 && e3 <= 0) || (e1 >= 0 && e2 >= 0 && e3 >= 0);
    if (!inside) {
        return Clear;
    }
    auto near = [&](int64_t e, int x0, int y0, int x1, int y1) {
        return Square(e) < Square(s.border) * (Square(x1 - x0) + Square(y1 - y0));
    };
    if (near(e1, s.ax, s.ay, s.cx, s.cy) || near(e2, s.cx, s.cy, s.bx, s.by) ||
        near(e3, s.bx, s.by, s.ax, s.ay)) {
        return Black;
    }
    // The mark: a bar down the middle, a gap, a dot, in the lower two thirds of the triangle.
    int height = s.ay - s.cy;
    int top = s.cy + height * 38 / 100;
    int barEnd = s.cy + height * 74 / 100;
    int dotTop = s.cy + height * 81 / 100;
    int dotEnd = s.ay - s.border - 2;
    bool column = ux >= s.cx - s.barHalf && ux <= s.cx + s.barHalf;
    bool mark = column && ((uy >= top && uy <= barEnd) || (uy >= dotTop && uy <= dotEnd));
    return mark ? Black : Yellow;
}

// The program: the disc, with the warning sign before it.
template <int Size> uint8_t ProgramAt(int ux, int uy)
{
    uint8_t warning = WarningAt(ux, uy, Size == 16 ? kSign16 : kSign32);
    // At 16 pixels the rim is drawn wider, or sampling would lose it.
    return warning != Clear ? warning : DiscAt(ux, uy, kNoLight, Size == 16 ? 48 : 54);
}

// An install floppy: black edge, blue body, grey shutter with its window, white label with lines.
uint8_t FloppyAt(int ux, int uy)
{
    if (ux < 8 || ux > 120 || uy < 8 || uy > 120 || (ux + (128 - uy)) > 228) {
        return Clear;
    }
    if (ux < 13 || ux > 115 || uy < 13 || uy > 115 || (ux + (128 - uy)) > 221) {
        return Black;
    }
    if (ux >= 36 && ux <= 92 && uy >= 13 && uy <= 44) {
        return (ux >= 72 && ux <= 84 && uy >= 18 && uy <= 38) ? Black : LightGrey;
    }
    if (ux >= 28 && ux <= 100 && uy >= 68 && uy <= 115) {
        bool line = (uy >= 78 && uy <= 81) || (uy >= 90 && uy <= 93) || (uy >= 102 && uy <= 105);
        return (line && ux >= 34 && ux <= 94) ? DarkBlue : White;
    }
    return Blue;
}

template <typename Paint> Image Draw(int size, Paint paint)
{
    Image image{size, {}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Pixel centres on the 128-unit square.
            int ux = (2 * x + 1) * 64 / size;
            int uy = (2 * y + 1) * 64 / size;
            image.pixels.push_back(paint(ux, uy));
        }
    }
    return image;
}

void PutInfoHeader(Bytes& out, int width, int height, uint32_t imageBytes)
{
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1); // planes
    Put16(out, 4); // bits per pixel
    Put32(out, 0); // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 16); // colours used
    Put32(out, 0);
}

void PutPalette(Bytes& out)
{
    for (const auto& rgb : kPalette) {
        out.push_back(rgb[2]);
        out.push_back(rgb[1]);
        out.push_back(rgb[0]);
        out.push_back(0);
    }
}

int ColourRowBytes(int width)
{
    return ((width * 4 + 31) / 32) * 4;
}

int MaskRowBytes(int width)
{
    return ((width + 31) / 32) * 4;
}

// A DIB icon image: header with doubled height, palette, colour bits, AND mask, rows bottom-up.
Bytes IconImage(const Image& image)
{
    int n = image.size;
    uint32_t colourBytes = static_cast<uint32_t>(ColourRowBytes(n) * n);
    uint32_t maskBytes = static_cast<uint32_t>(MaskRowBytes(n) * n);
    Bytes out;
    PutInfoHeader(out, n, 2 * n, colourBytes + maskBytes);
    PutPalette(out);
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(static_cast<size_t>(ColourRowBytes(n)), 0);
        for (int x = 0; x < n; ++x) {
            uint8_t p = image.pixels[static_cast<size_t>(y * n + x)];
            uint8_t index = p == Clear ? 0 : p;
            row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(static_cast<size_t>(MaskRowBytes(n)), 0);
        for (int x = 0; x < n; ++x) {
            if (image.pixels[static_cast<size_t>(y * n + x)] == Clear) {
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A group directory naming icon images by their resource ids, as the icon group resource holds it.
struct GroupEntry {
    const Image* image;
    unsigned id;
};

Bytes IconGroup(const std::vector<GroupEntry>& entries)
{
    Bytes out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(entries.size()));
    for (const GroupEntry& entry : entries) {
        out.push_back(static_cast<uint8_t>(entry.image->size));
        out.push_back(static_cast<uint8_t>(entry.image->size));
        out.push_back(16); // colours
        out.push_back(0);
        Put16(out, 1); // planes
        Put16(out, 4); // bits per pixel
        Put32(out, static_cast<uint32_t>(IconImage(*entry.image).size()));
        Put16(out, entry.id);
    }
    return out;
}

// An 8x6 bitmap of one colour.
Bytes BulletFile(uint8_t colour)
{
    const int width = 8, height = 6;
    uint32_t pixelBytes = static_cast<uint32_t>(ColourRowBytes(width) * height);
    uint32_t offset = 14 + 40 + 64;
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + pixelBytes);
    Put32(out, 0);
    Put32(out, offset);
    PutInfoHeader(out, width, height, pixelBytes);
    PutPalette(out);
    for (uint32_t i = 0; i < pixelBytes; ++i) {
        out.push_back(static_cast<uint8_t>(colour << 4 | colour));
    }
    return out;
}

bool WriteFile(const std::string& folder, const char* name, const Bytes& bytes)
{
    std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "mkimages: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkimages OUTPUT_FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    // The icon images, each stored once under the resource id the groups name it by.
    Image program32 = Draw(32, ProgramAt<32>);
    Image program16 = Draw(16, ProgramAt<16>);
    Image floppy32 = Draw(32, FloppyAt);
    Image frames[4];
    for (int i = 0; i < 4; ++i) {
        int light = kSweep[i];
        frames[i] = Draw(32, [light](int ux, int uy) { return DiscAt(ux, uy, light); });
    }
    bool ok = WriteFile(folder, "program32.dib", IconImage(program32));
    ok = WriteFile(folder, "program16.dib", IconImage(program16)) && ok;
    ok = WriteFile(folder, "floppy32.dib", IconImage(floppy32)) && ok;
    ok = WriteFile(folder, "program.grp", IconGroup({{&program32, 1}, {&program16, 2}})) && ok;
    ok = WriteFile(folder, "floppy.grp", IconGroup({{&floppy32, 3}, {&program16, 2}})) && ok;
    const char* frameImages[4] = {"anim1.dib", "anim2.dib", "anim3.dib", "anim4.dib"};
    const char* frameGroups[4] = {"anim1.grp", "anim2.grp", "anim3.grp", "anim4.grp"};
    for (unsigned i = 0; i < 4; ++i) {
        ok = WriteFile(folder, frameImages[i], IconImage(frames[i])) && ok;
        ok = WriteFile(folder, frameGroups[i], IconGroup({{&frames[i], 4 + i}})) && ok;
    }
    ok = WriteFile(folder, "bullet1.bmp", BulletFile(Green)) && ok;
    ok = WriteFile(folder, "bullet2.bmp", BulletFile(DarkGreen)) && ok;
    ok = WriteFile(folder, "bullet3.bmp", BulletFile(Red)) && ok;
    return ok ? 0 : 1;
}
