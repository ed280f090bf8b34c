// Draws Zentrobe's icon (a white rocket climbing to the upper right on two
// orange flames) and writes it as a Windows .ico: 48, 32, 24 and 16 pixels,
// 32-bit BMP images with alpha and an AND mask. Standard C++ only.
//
// Build and run: scripts/make-icon.sh (writes res/Zentrobe.ico).
//
// 48 and 32 pixels: signed distance functions in the rocket's own frame,
// rendered with 16x16 supersampling. Only + - * / and sqrt are used, all
// correctly rounded under IEEE 754, so every compiler writes the same bytes. Each size has its
// own proportions, with the 45-degree edges placed on pixel staircases.
// 24 and 16 pixels are hand-drawn pixel art: at those sizes any rendering of
// the shapes comes out blurred, so the drawing is simplified by hand (solid
// two-pixel outlines, a small porthole, stubby flames).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb kOutline{0x17, 0x4e, 0xc0};
constexpr Rgb kWhite{0xff, 0xff, 0xff};
constexpr Rgb kShade{0xd6, 0xe4, 0xf5};
constexpr Rgb kGlass{0x6e, 0xc0, 0xff};
constexpr Rgb kFlame{0xff, 0x84, 0x10};
constexpr Rgb kFlameCore{0xff, 0xd8, 0x40};

// Proportions of one size. The rocket's frame has its origin at the centre
// of the image; v runs along the axis towards the nose (up-right on screen),
// u across it (down-right). Lengths are in half pixel diagonals: u = x + y and
// v = x - y, with x, y in pixels from the centre, so pixel centres sit on
// whole numbers and a 45-degree edge at n + 0.5 falls between pixel rows.
struct Look {
    int size;
    double stroke;         // outline width
    double halfWidth;      // body half width
    double noseV;          // nose tip
    double shoulderV;      // where the nose curve meets the straight sides
    double tailV;          // flat tail
    double finOut;         // how far a fin reaches beyond the body side
    double finTopV;        // where a fin's leading edge leaves the body
    double finTipTopV;     // fin tip, upper corner
    double finTipBottomV;  // fin tip, lower corner
    double windowV;        // porthole centre
    double windowR;
    double flameU;      // flame roots: +-flameU across the tail
    double flameRootR;  // flame width at the root
    double flameLength;
    double flameSplay;  // sideways drift of each flame's tip
    double coreScale;   // yellow core relative to the flame
};

const Look kLooks[] = {
    {48, 3.0, 10.5, 38.0, 8.5, -15.5, 9.0, 0.0, -12.5, -21.5, 8.5, 6.0, 4.5, 4.2, 18.4, 2.0, 0.55},
    {32, 2.0, 7.5, 25.5, 5.5, -10.5, 6.0, 0.0, -8.5, -14.5, 5.5, 4.0, 3.0, 2.8, 12.3, 1.3, 0.5},
};

// The 24 and 16 pixel images, drawn by hand and symmetric about the
// rocket's axis. B outline, b half-transparent outline, W body, G porthole,
// O flame, Y flame core, . transparent.
// clang-format off
const char* const kPixels24[24] = {
    "........................",
    "........................",
    "....................bB..",
    ".................BBBBb..",
    "...............BBBWWB...",
    ".............BBBWWWWB...",
    "............BBWWWWWBB...",
    "...........BBWBBWWWB....",
    "..........BBWBGGBWBB....",
    ".........BBWWBGGBWB.....",
    "....BBBBBBWWWWBBWBB.....",
    "...BBWWBBWWWWWWWBB......",
    "..BBBBBBWWWWWWWBB.......",
    ".....BBWWWWWWWBB........",
    ".....OBBWWWWWBB.........",
    "....OYYBBWWWBB..........",
    "...OYOO.BBWBBB..........",
    "...OO..OYBBBWB..........",
    ".......OYOBBWB..........",
    "......OYO..BBB..........",
    "......OO...BB...........",
    "...........B............",
    "........................",
    "........................",
};

const char* const kPixels16[16] = {
    "................",
    "...........bBBB.",
    ".........BBWWWB.",
    "........BWWWWWB.",
    ".......BWWGGWWb.",
    ".....BBWWWGGWB..",
    "...BBBWWWWWWWB..",
    ".BBBBWWWWWWWB...",
    "....OBWWWWWB....",
    "...OYOBWWWB.....",
    "...OO.OBWBB.....",
    "..O..OYOBB......",
    ".....OO.BB......",
    "....O...B.......",
    "........B.......",
    "................",
};
// clang-format on

double Len(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

// Body: a tangent ogive nose on straight sides, cut flat at the tail.
double BodyDistance(const Look& k, double u, double v)
{
    double a = std::fabs(u);
    double side;
    if (v > k.shoulderV) {
        double noseLength = k.noseV - k.shoulderV;
        double radius = (noseLength * noseLength + k.halfWidth * k.halfWidth) / (2 * k.halfWidth);
        side = Len(a - (k.halfWidth - radius), v - k.shoulderV) - radius;
    } else {
        side = a - k.halfWidth;
    }
    return std::max(side, k.tailV - v);
}

// Signed distance to a convex polygon given counter-clockwise.
double ConvexDistance(const double (*pts)[2], int count, double u, double v)
{
    double inside = -1e9;
    double outside = 1e9;
    bool out = false;
    for (int i = 0; i < count; ++i) {
        const double* p = pts[i];
        const double* q = pts[(i + 1) % count];
        double ex = q[0] - p[0], ey = q[1] - p[1];
        double len = Len(ex, ey);
        // Outward normal of a counter-clockwise edge.
        double side = ((u - p[0]) * ey - (v - p[1]) * ex) / len;
        inside = std::max(inside, side);
        if (side > 0) out = true;
        double t = std::clamp(((u - p[0]) * ex + (v - p[1]) * ey) / (len * len), 0.0, 1.0);
        outside = std::min(outside, Len(u - p[0] - t * ex, v - p[1] - t * ey));
    }
    return out ? outside : inside;
}

// Both fins, mirrored: swept back from the body side to a tip beyond the tail.
double FinDistance(const Look& k, double u, double v)
{
    double a = std::fabs(u);
    double w = k.halfWidth - k.stroke;  // root hidden under the body's outline
    const double fin[4][2] = {
        {w, k.finTopV},
        {w, k.tailV + k.stroke},
        {k.halfWidth + k.finOut, k.finTipBottomV},
        {k.halfWidth + k.finOut, k.finTipTopV},
    };
    return ConvexDistance(fin, 4, a, v);  // counter-clockwise in (u, v)
}

// A tapered capsule from a round root (radius r1 at a) to a point-like tip
// (radius r2 at b): a flame tongue.
double TaperDistance(double px, double py, double ax, double ay, double r1, double bx, double by,
                     double r2)
{
    // Work in a frame where a is the origin and b lies on the +y axis.
    double dx = bx - ax, dy = by - ay;
    double h = Len(dx, dy);
    double ny = dy / h, nx = dx / h;
    double qx0 = px - ax, qy0 = py - ay;
    double qy = qx0 * nx + qy0 * ny;
    double qx = std::fabs(qx0 * ny - qy0 * nx);
    double b = (r1 - r2) / h;
    double a = std::sqrt(1.0 - b * b);
    double k = -b * qx + a * qy;  // dot((qx,qy), (-b,a))
    if (k < 0.0) return Len(qx, qy) - r1;
    if (k > a * h) return Len(qx, qy - h) - r2;
    return qx * a + qy * b - r1;
}

double FlameDistance(const Look& k, double u, double v, double scale)
{
    double best = 1e9;
    for (int side = -1; side <= 1; side += 2) {
        double rootU = side * k.flameU;
        double rootV = k.tailV + k.flameRootR * 0.3;
        double tipU = rootU + side * k.flameSplay;
        double tipV = k.tailV - k.flameLength * scale;
        double r1 = k.flameRootR * scale;
        best = std::min(best, TaperDistance(u, v, rootU, rootV, r1, tipU, tipV, 0.15 * scale));
    }
    return best;
}

struct Sample {
    Rgb color;
    double alpha;
};

// Colour of one point in the rocket's frame, painted back to front.
Sample Paint(const Look& k, double u, double v)
{
    Sample s{{0, 0, 0}, 0.0};
    double flame = FlameDistance(k, u, v, 1.0);
    if (flame < 0) s = {FlameDistance(k, u, v, k.coreScale) < 0 ? kFlameCore : kFlame, 1.0};
    double fin = FinDistance(k, u, v);
    if (fin < 0) s = {fin > -k.stroke ? kOutline : kWhite, 1.0};
    double body = BodyDistance(k, u, v);
    if (body < 0) {
        // The lower-right side is in the shade; the light comes from the upper left.
        Rgb fill = u > k.halfWidth * 0.3 ? kShade : kWhite;
        s = {body > -k.stroke ? kOutline : fill, 1.0};
    }
    double window = Len(u, v - k.windowV) - k.windowR;
    if (window < 0) s = {window > -k.stroke ? kOutline : kGlass, 1.0};
    return s;
}

// Straight (not premultiplied) BGRA, top row first.
std::vector<uint8_t> Render(const Look& k)
{
    const int kGrid = 16;
    std::vector<uint8_t> out(static_cast<size_t>(k.size) * k.size * 4);
    for (int y = 0; y < k.size; ++y) {
        for (int x = 0; x < k.size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    double px = x + (sx + 0.5) / kGrid - k.size / 2.0;
                    double py = y + (sy + 0.5) / kGrid - k.size / 2.0;
                    double u = px + py;
                    double v = px - py;
                    Sample s = Paint(k, u, v);
                    r += s.color.r * s.alpha;
                    g += s.color.g * s.alpha;
                    b += s.color.b * s.alpha;
                    a += s.alpha;
                }
            }
            uint8_t* p = &out[(static_cast<size_t>(y) * k.size + x) * 4];
            int alpha = static_cast<int>(a * 255.0 / (kGrid * kGrid) + 0.5);
            if (alpha == 0) {
                p[0] = p[1] = p[2] = p[3] = 0;
                continue;
            }
            p[0] = static_cast<uint8_t>(std::min(255.0, b / a + 0.5));
            p[1] = static_cast<uint8_t>(std::min(255.0, g / a + 0.5));
            p[2] = static_cast<uint8_t>(std::min(255.0, r / a + 0.5));
            p[3] = static_cast<uint8_t>(alpha);
        }
    }
    return out;
}

// A hand-drawn image as straight BGRA, top row first.
std::vector<uint8_t> PixelArt(const char* const* rows, int size)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < size; ++y) {
        const char* row = rows[y];
        for (int x = 0; x < size; ++x) {
            Rgb c{0, 0, 0};
            int alpha = 255;
            switch (row[x]) {
            case 'B':
                c = kOutline;
                break;
            case 'b':
                c = kOutline;
                alpha = 128;
                break;
            case 'W':
                c = kWhite;
                break;
            case 'G':
                c = kGlass;
                break;
            case 'O':
                c = kFlame;
                break;
            case 'Y':
                c = kFlameCore;
                break;
            default:
                alpha = 0;
                break;
            }
            out.push_back(static_cast<uint8_t>(c.b));
            out.push_back(static_cast<uint8_t>(c.g));
            out.push_back(static_cast<uint8_t>(c.r));
            out.push_back(static_cast<uint8_t>(alpha));
        }
    }
    return out;
}

void Put16(std::vector<uint8_t>& f, unsigned v)
{
    f.push_back(v & 0xff);
    f.push_back((v >> 8) & 0xff);
}

void Put32(std::vector<uint8_t>& f, uint32_t v)
{
    Put16(f, v & 0xffff);
    Put16(f, v >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), the
// bottom-up BGRA pixels, then the 1-bit AND mask (set where transparent).
std::vector<uint8_t> IconImage(int size, const std::vector<uint8_t>& bgra)
{
    const int maskStride = ((size + 31) / 32) * 4;
    const uint32_t pixelBytes = static_cast<uint32_t>(size) * size * 4;
    const uint32_t maskBytes = static_cast<uint32_t>(maskStride) * size;
    std::vector<uint8_t> f;
    Put32(f, 40);
    Put32(f, size);
    Put32(f, size * 2);
    Put16(f, 1);
    Put16(f, 32);
    Put32(f, 0);  // BI_RGB
    Put32(f, pixelBytes + maskBytes);
    Put32(f, 0);
    Put32(f, 0);
    Put32(f, 0);
    Put32(f, 0);
    for (int y = size - 1; y >= 0; --y) {
        const uint8_t* row = &bgra[static_cast<size_t>(y) * size * 4];
        f.insert(f.end(), row, row + size * 4);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> bits(maskStride, 0);
        for (int x = 0; x < size; ++x) {
            if (bgra[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0)
                bits[x / 8] |= 0x80 >> (x % 8);
        }
        f.insert(f.end(), bits.begin(), bits.end());
    }
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "Zentrobe.ico";
    // Largest first: the order the images appear in the icon group.
    std::vector<int> sizes;
    std::vector<std::vector<uint8_t>> images;
    for (const Look& k : kLooks) {
        sizes.push_back(k.size);
        images.push_back(IconImage(k.size, Render(k)));
    }
    sizes.push_back(24);
    images.push_back(IconImage(24, PixelArt(kPixels24, 24)));
    sizes.push_back(16);
    images.push_back(IconImage(16, PixelArt(kPixels16, 16)));
    const int count = static_cast<int>(images.size());

    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);  // icon
    Put16(file, count);
    uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(0);  // no palette
        file.push_back(0);
        Put16(file, 1);   // planes
        Put16(file, 32);  // bits per pixel
        Put32(file, static_cast<uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    FILE* out = std::fopen(path, "wb");
    if (!out) {
        std::perror(path);
        return 1;
    }
    bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::perror(path);
        return 1;
    }
    return 0;
}
