#include "render/TextureStore.hpp"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "earth/PngDecoder.hpp"
#include "render/MapView.hpp"

namespace tessarin {

namespace {

// The slots that get a texture name: the globe's blocks and cap, the globe
// tiles, the logos and the button images.
constexpr int kUsedSlots[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 25, 26, 27, 28, 29, 30, 33, 34, 39, 40, 52, 53};

// The meshes' angle constants are the shortened pi values the globe's
// texture coordinates were fitted to.
constexpr double kHalfPi = 1.570796;
constexpr double kTwoPi = 6.283184;

constexpr std::uint8_t kColourKeyRed = 30;  // button pixels redder than this stay opaque
constexpr std::uint8_t kGlobeFill = 180;    // grey around a globe tile in its texture

// South-west corners of the globe's ten 72-degree blocks, slots 1..10.
constexpr int kBlockWest[10] = {-180, -108, -36, 36, 108, -180, -108, -36, 36, 108};
constexpr int kBlockSouth[10] = {0, 0, 0, 0, 0, -72, -72, -72, -72, -72};

void setUploadParameters(GLint env) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, env);
}

bool validSlot(int slot) { return slot > 0 && slot < TextureStore::kSlotCount; }

}  // namespace

TextureStore::TextureStore(std::ostream& out, std::string root)
    : out_(out), root_(std::move(root)), image_(kBufferBytes), staging_(kBufferBytes) {
    for (int i = 0; i < kFineRings; ++i) {
        const double lat = (i - 45) * kHalfPi / 45.0;
        for (int j = 0; j < kFinePoints; ++j) {
            const double lon = j * kTwoPi / 180.0;
            fineX[i][j] = static_cast<float>(std::cos(lon) * std::cos(lat));
            fineY[i][j] = static_cast<float>(-std::sin(lon) * std::cos(lat));
            fineZ[i][j] = static_cast<float>(-std::sin(lat));
        }
    }
    for (int i = 0; i < kMediumRings; ++i) {
        const double lat = (i - 30) * kHalfPi / 30.0;
        for (int j = 0; j < kMediumPoints; ++j) {
            const double lon = j * kTwoPi / 120.0;
            mediumX[i][j] = static_cast<float>(std::cos(lon) * std::cos(lat));
            mediumY[i][j] = static_cast<float>(std::sin(lon) * std::cos(lat));
            mediumZ[i][j] = static_cast<float>(std::sin(lat));
        }
    }
    for (int i = 0; i < kCoarseRings; ++i) {
        const double lat = (i - 11) * 8 * kHalfPi / 90.0;
        for (int j = 0; j < kCoarsePoints; ++j) {
            const double lon = j * 8 * kHalfPi / 90.0;
            coarseX[i][j] = static_cast<float>(std::cos(lon) * std::cos(lat));
            coarseY[i][j] = static_cast<float>(std::sin(lon) * std::cos(lat));
            coarseZ[i][j] = static_cast<float>(std::sin(lat));
        }
    }
}

TextureStore::~TextureStore() = default;

bool TextureStore::ensureNames(int slot) {
    if (!namesMade_) {
        for (int s : kUsedSlots) {
            if (names_[s] == 0) glGenTextures(1, &names_[s]);
        }
        namesMade_ = true;
    }
    if (!validSlot(slot) || names_[slot] == 0) {
        out_ << "No texture slot " << slot << "\n";
        return false;
    }
    return true;
}

void TextureStore::shareTexture(int slot, unsigned name) {
    if (validSlot(slot)) names_[slot] = name;
}

unsigned TextureStore::textureName(int slot) const { return validSlot(slot) ? names_[slot] : 0u; }

std::FILE* TextureStore::openRaw(const std::string& path) const {
    return std::fopen((root_ + path).c_str(), "rb");
}

void TextureStore::readRaw(std::FILE* f, const std::string& path, std::size_t bytes) {
    const std::size_t got = std::fread(image_.data(), 1, bytes, f);
    std::fclose(f);
    if (got < bytes) {
        // Without this the missing part would show whatever image was read
        // before.
        std::memset(image_.data() + got, 0, bytes - got);
        out_ << "Short image file " << path << ": " << got << " of " << bytes << " bytes\n";
    }
}

bool TextureStore::loadLogo(const std::string& path, int slot) {
    std::FILE* f = openRaw(path);
    if (!f) return false;
    out_ << "LOAD Logo 512x512 :: " << path << "\n";
    readRaw(f, path, std::size_t{kLogoSide} * kLogoSide * 3);
    if (!ensureNames(slot)) return false;
    // Outside the logo the texture is transparent black rather than the last
    // image staged here.
    std::memset(staging_.data(), 0, std::size_t{kLogoTextureSide} * kLogoTextureSide * 4);
    for (int r = 0; r < kLogoSide; ++r) {
        const std::uint8_t* src = image_.data() + std::size_t{3} * kLogoSide * r;
        std::uint8_t* dst = staging_.data() + std::size_t{4} * kLogoTextureSide * r;
        for (int c = 0; c < kLogoSide; ++c) {
            dst[4 * c] = src[3 * c];
            dst[4 * c + 1] = src[3 * c + 1];
            dst[4 * c + 2] = src[3 * c + 2];
            dst[4 * c + 3] = 255;
        }
    }
    glBindTexture(GL_TEXTURE_2D, names_[slot]);
    setUploadParameters(GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kLogoTextureSide, kLogoTextureSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 staging_.data());
    return true;
}

bool TextureStore::loadButtonImage(const std::string& path, int width, int height, int slot) {
    // The RGBA texture must fit the staging buffer; a caller's wrong size
    // would otherwise write past it.
    if (width <= 0 || height <= 0 || std::size_t(width) * std::size_t(height) * 4 > staging_.size()) {
        out_ << "Bad button image size " << width << " x " << height << " for " << path << "\n";
        return false;
    }
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    std::FILE* f = openRaw(path);
    if (!f) {
        out_ << "FAIL to open " << path << "\n";
        return false;
    }
    out_ << "LOAD Button image :: " << path << "\n";
    readRaw(f, path, pixels * 3);
    if (!ensureNames(slot)) return false;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* src = image_.data() + 3 * i;
        std::uint8_t* dst = staging_.data() + 4 * i;
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = src[0] < kColourKeyRed ? 0 : 255;
    }
    glBindTexture(GL_TEXTURE_2D, names_[slot]);
    setUploadParameters(GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, staging_.data());
    return true;
}

void TextureStore::globeBands(double lat, int& southBand, int& northBand) {
    int c = 8 * static_cast<int>(std::floor(lat * 0.125));
    if (lat - c < 4) c -= 8;
    southBand = c;
    northBand = c + 8;
}

void TextureStore::globeTileLongitudes(int band, double lon, int longitudes[3]) {
    // Tiles widen towards the poles so that they keep roughly their shape.
    int multiple = 1;
    if (band < -56) {
        multiple = 2;
    } else if (band < 56) {
        multiple = 1;
    } else if (band < 72) {
        multiple = 2;
    } else if (band < 80) {
        multiple = 4;
    } else {
        multiple = 8;
    }
    const int step = 15 * multiple;
    const int tileLon = static_cast<int>(std::floor((lon + 180.0) / step)) * step - 180;
    for (int k = 0; k < 3; ++k) {
        int l = tileLon + (k - 1) * step;
        if (l < -180) l += 360;
        if (l >= 180) l -= 360;
        longitudes[k] = l;
    }
}

int TextureStore::loadGlobeTiles(double lat, double lon) {
    int bands[2];
    globeBands(lat, bands[0], bands[1]);
    const std::size_t rowBytes = 2048 * 3;
    int loaded = 0;
    for (int b = 0; b < 2; ++b) {
        int longitudes[3];
        globeTileLongitudes(bands[b], lon, longitudes);
        for (int k = 0; k < 3; ++k) {
            char name[64];
            std::snprintf(name, sizeof name, "GlobeTiles/BG15_%d_%d_1800.png", longitudes[k], bands[b]);
            const DecodedImage tile = decodePng(root_ + name);
            if (tile.empty() || tile.width < kGlobeTileWidth || tile.height < kGlobeTileHeight) continue;
            const int slot = kFirstGlobeTileSlot + 3 * b + k;
            if (!ensureNames(slot)) continue;
            std::memset(staging_.data(), kGlobeFill, rowBytes * 1024);
            for (int r = 0; r < kGlobeTileHeight; ++r) {
                const std::uint8_t* src = tile.rgba.data() + std::size_t{4} * tile.width * r;
                std::uint8_t* dst = staging_.data() + rowBytes * r;
                for (int c = 0; c < kGlobeTileWidth; ++c) {
                    dst[3 * c] = src[4 * c];
                    dst[3 * c + 1] = src[4 * c + 1];
                    dst[3 * c + 2] = src[4 * c + 2];
                }
                std::memset(dst + 3 * kGlobeTileWidth, 255, 3);
            }
            glBindTexture(GL_TEXTURE_2D, names_[slot]);
            setUploadParameters(GL_REPLACE);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2048, 1024, 0, GL_RGB, GL_UNSIGNED_BYTE, staging_.data());
            ++loaded;
        }
    }
    return loaded;
}

void TextureStore::bindSlot(int slot) {
    glBindTexture(GL_TEXTURE_2D, validSlot(slot) ? names_[slot] : 0u);
}

void TextureStore::drawStrip(float x, float y, float w, float h, float s0, float s1, float t0, float t1) {
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(s0, t0);
    glVertex2f(x, y + h);
    glTexCoord2f(s0, t1);
    glVertex2f(x, y);
    glTexCoord2f(s1, t0);
    glVertex2f(x + w, y + h);
    glTexCoord2f(s1, t1);
    glVertex2f(x + w, y);
    glEnd();
}

void TextureStore::drawImage(float x, float y, float w, float h, int slot) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    bindSlot(slot);
    drawStrip(x, y, w, h, 0.0f, 1.0f, 0.0f, 1.0f);
}

void TextureStore::drawTintedImage(float x, float y, float w, float h, int slot) {
    // A logo fills 450 of its texture's 512 texels; stopping at 448.75 keeps
    // linear filtering off the empty border.
    glColor4f(0.8f, 0.8f, 1.0f, 0.2f);
    glEnable(GL_TEXTURE_2D);
    bindSlot(slot);
    drawStrip(x, y, w, h, 0.01f, 0.87646484f, 0.0f, 0.87646484f);
}

void TextureStore::drawGlobe(float rotation, float tilt) {
    const GLfloat lightPosition[] = {-8.0f, 20.0f, 50.0f, 0.0f};
    const GLfloat lightAmbient[] = {0.25f, 0.25f, 0.25f, 1.0f};
    const GLfloat lightDiffuse[] = {0.6f, 0.6f, 0.6f, 1.0f};
    const GLfloat lightSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat materialAmbient[] = {0.25f, 0.25f, 0.25f, 1.0f};
    const GLfloat materialSpecular[] = {0.9f, 0.9f, 0.9f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, 10.0f);
    glShadeModel(GL_SMOOTH);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glRotatef(tilt, 1.0f, 0.0f, 0.0f);
    glRotatef(-rotation, 0.0f, 1.0f, 0.0f);
    glScalef(10.0f, 10.0f, 10.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);

    auto vertex = [this](int ring, int point, double s, double t) {
        glTexCoord2f(static_cast<float>(s), static_cast<float>(t));
        glNormal3f(fineX[ring][point], fineY[ring][point], fineZ[ring][point]);
        glVertex3f(fineX[ring][point], fineY[ring][point], fineZ[ring][point]);
    };

    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (int b = 0; b < 10; ++b) {
        bindSlot(b + 1);
        const int firstRing = kBlockSouth[b] == 0 ? 45 : 9;
        const int firstPoint = kBlockWest[b] / 2 + 90;
        for (int r = 0; r < 36; ++r) {
            const double t0 = (1.0 - r / 36.0) * 0.9276650547981262 + 0.001;
            const double t1 = (1.0 - (r + 1) / 36.0) * 0.9276650547981262 + 0.001;
            glBegin(GL_TRIANGLE_STRIP);
            for (int k = 0; k <= 36; k += 2) {
                const double s = k * 0.9323267 / 36.0 + 0.0005;
                vertex(firstRing + r, firstPoint + k, s, t0);
                vertex(firstRing + r + 1, firstPoint + k, s, t1);
            }
            glEnd();
        }
    }
    bindSlot(kGlobeCapSlot);
    for (int i = 0; i < 9; ++i) {
        const double t0 = (1.0 - i / 9.0) * 0.9276650410890579 + 0.001;
        const double t1 = (1.0 - (i + 1) / 9.0) * 0.9276650410890579 + 0.001;
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= 180; j += 2) {
            const double s = j * 0.9323267 / 180.0 + 0.0005;
            vertex(81 + i, j, s, t0);
            vertex(82 + i, j, s, t1);
        }
        glEnd();
    }
    glDisable(GL_LIGHTING);
    glPopMatrix();
}

void TextureStore::drawBusyScreen(const ViewRecord& app) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(1.0f, app.aspect, 1.0f);
    drawGlobe(app.globeLon, app.globeLat);
    glPopMatrix();

    applyPixelTransform(app);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawTintedImage(10.0f, 10.0f, 60.0f, app.aspect * 60.0f, 33);
    drawTintedImage(70.0f, 10.0f, 63.0f, app.aspect * 63.0f, 34);
    drawTintedImage(130.0f, 12.0f, 60.0f, app.aspect * 55.0f, 39);
    drawImage(950.0f, 260.0f, 248.0f, 124.0f, 53);

    if (busyFrameEnd_) busyFrameEnd_();
}

}  // namespace tessarin
