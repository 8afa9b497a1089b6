#include "Artwork.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::worldgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Glyph {
    char c;
    std::uint8_t rows[7];  // five bits per row, bit 4 is the left column
};

const Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
};

const Glyph* glyphOf(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

RawImage blank(const std::string& name, int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    RawImage image{name, width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) image.rgb[i] = r, image.rgb[i + 1] = g, image.rgb[i + 2] = b;
    return image;
}

void put(RawImage& image, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
    p[0] = r, p[1] = g, p[2] = b;
}

void fillRect(RawImage& image, int x0, int y0, int x1, int y1, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) put(image, x, y, r, g, b);
}

// Rounded panel: the button shape of the menu pictures.
void roundedPanel(RawImage& image, int x0, int y0, int x1, int y1, int radius, std::uint8_t r, std::uint8_t g,
                  std::uint8_t b) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const int cx = std::clamp(x, x0 + radius, x1 - 1 - radius);
            const int cy = std::clamp(y, y0 + radius, y1 - 1 - radius);
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) put(image, x, y, r, g, b);
        }
    }
}

void centredText(RawImage& image, const std::string& text, int y, int scale, std::uint8_t r, std::uint8_t g,
                 std::uint8_t b) {
    drawText(image, text, (image.width - textWidth(text, scale)) / 2, y, scale, r, g, b);
}

// A round emblem of sea floor: concentric depth bands with a wave line.
RawImage ostraLogo() {
    RawImage image = blank("Ostra_Logo.raw", 450, 450, 235, 242, 248);
    const double cx = 225, cy = 180, radius = 150;
    for (int y = 0; y < 450; ++y) {
        for (int x = 0; x < 450; ++x) {
            const double dx = x - cx, dy = y - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > radius) continue;
            const double wave = cy + 25.0 * std::sin((x - cx) / 28.0);
            if (y < wave) put(image, x, y, 200, 225, 240);
            else {
                const int band = static_cast<int>((y - wave) / 28.0);
                const int shade = std::max(0, 150 - band * 22);
                put(image, x, y, static_cast<std::uint8_t>(20 + shade / 4), static_cast<std::uint8_t>(60 + shade / 2),
                    static_cast<std::uint8_t>(110 + shade / 2));
            }
            if (d > radius - 8) put(image, x, y, 20, 50, 90);
        }
    }
    centredText(image, "OSTRA", 360, 10, 20, 50, 90);
    return image;
}

// A monogram on a dark background.
RawImage kelvexLogo() {
    RawImage image = blank("Kelvex_Logo_bg.raw", 450, 450, 28, 34, 52);
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 450; ++x)
            if ((x + y) % 90 < 3) put(image, x, y, 40, 50, 75);
    roundedPanel(image, 115, 50, 335, 300, 30, 230, 140, 40);
    drawText(image, "K", 160, 85, 26, 28, 34, 52);
    centredText(image, "KELVEX", 345, 10, 230, 140, 40);
    return image;
}

// A globe with graticule lines.
RawImage gebcoLogo() {
    RawImage image = blank("GEBCO_3.raw", 450, 450, 255, 255, 255);
    const double cx = 225, cy = 185, radius = 150;
    for (int y = 0; y < 450; ++y) {
        for (int x = 0; x < 450; ++x) {
            const double nx = (x - cx) / radius, ny = (y - cy) / radius;
            const double d2 = nx * nx + ny * ny;
            if (d2 > 1.0) continue;
            const double lat = std::asin(-ny) * 180.0 / kPi;
            const double lon = std::asin(std::clamp(nx / std::sqrt(std::max(1e-9, 1.0 - ny * ny)), -1.0, 1.0)) * 180.0 / kPi;
            const bool line = std::fmod(std::fabs(lat) + 0.6, 30.0) < 1.2 || std::fmod(std::fabs(lon) + 0.6, 30.0) < 1.2;
            const double light = 0.55 + 0.45 * std::sqrt(1.0 - d2);
            if (line) put(image, x, y, 240, 240, 240);
            else put(image, x, y, static_cast<std::uint8_t>(30 * light), static_cast<std::uint8_t>(90 * light),
                     static_cast<std::uint8_t>(170 * light));
        }
    }
    centredText(image, "GEBCO", 360, 10, 20, 60, 130);
    return image;
}

RawImage menuBanner() {
    RawImage image = blank("Menu_Planner_Zoom_2.raw", 512, 256, 0, 0, 0);
    roundedPanel(image, 8, 8, 504, 248, 28, 36, 62, 104);
    roundedPanel(image, 16, 16, 496, 240, 22, 52, 96, 150);
    centredText(image, "MAREVISTA", 42, 8, 235, 240, 250);
    centredText(image, "TESSARIN", 118, 8, 255, 200, 90);
    centredText(image, "SURVEY PLANNER", 196, 4, 200, 220, 240);
    return image;
}

RawImage scaleBar() {
    RawImage image = blank("Scale512x128.raw", 512, 128, 0, 0, 0);
    // Alternating bar segments; dark segments keep red at 40 so they stay
    // visible under the colour key.
    const int x0 = 26, x1 = 486, y0 = 60, y1 = 80;
    const int segments = 5;
    for (int s = 0; s < segments; ++s) {
        const int a = x0 + (x1 - x0) * s / segments, b = x0 + (x1 - x0) * (s + 1) / segments;
        if (s % 2 == 0) fillRect(image, a, y0, b, y1, 40, 40, 48);
        else fillRect(image, a, y0, b, y1, 245, 245, 245);
    }
    fillRect(image, x0, y0 - 2, x1, y0, 40, 40, 48);
    fillRect(image, x0, y1, x1, y1 + 2, 40, 40, 48);
    for (int s = 0; s <= segments; ++s) {
        const int x = x0 + (x1 - x0) * s / segments;
        fillRect(image, x - 1, y0 - 12, x + 2, y1 + 2, 40, 40, 48);
        const std::string label = std::to_string(s * 20);
        drawText(image, label, x - textWidth(label, 3) / 2, 28, 3, 245, 245, 245);
    }
    drawText(image, "KM", x1 - textWidth("KM", 3), 94, 3, 245, 245, 245);
    return image;
}

RawImage loadingBanner() {
    RawImage image = blank("DataLoading.raw", 512, 256, 0, 0, 0);
    roundedPanel(image, 6, 6, 506, 250, 30, 255, 255, 255);
    roundedPanel(image, 14, 14, 498, 242, 24, 40, 70, 120);
    centredText(image, "MAREVISTA TESSARIN", 44, 4, 200, 220, 240);
    centredText(image, "DATA", 96, 8, 255, 210, 100);
    centredText(image, "LOADING", 164, 8, 255, 210, 100);
    return image;
}

}  // namespace

int textWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

int drawText(RawImage& image, const std::string& text, int x, int y, int scale, std::uint8_t r, std::uint8_t g,
             std::uint8_t b) {
    int pen = x;
    for (char c : text) {
        if (const Glyph* glyph = glyphOf(c)) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph->rows[row] & (0x10 >> col))
                        fillRect(image, pen + col * scale, y + row * scale, pen + (col + 1) * scale, y + (row + 1) * scale, r, g, b);
        }
        pen += 6 * scale;
    }
    return textWidth(text, scale);
}

std::vector<RawImage> makeArtwork() {
    return {ostraLogo(), kelvexLogo(), gebcoLogo(), menuBanner(), scaleBar(), loadingBanner()};
}

}  // namespace tessarin::worldgen
