// Images and text: textures from PNG entries, the bitmap font, the full-screen quad.
#pragma once

#include <cstddef>
#include <cstdint>

// A GL 2D texture with its size in texels. Owns nothing but itself: the GL name is never deleted and goes
// with the context.
class Texture {
  public:
    // Decodes the PNG entry `name` and uploads it: format 1 = RGBA, any other code (4 and above too) = RGB.
    // Always returns a texture (owned by the caller), left bound; id, width and height are 0 when the image
    // does not decode ("error loading %s" on standard output). A missing entry is fatal (archive). Needs a
    // current context. The unpack alignment is 1 for the upload and back at 4 afterwards.
    static Texture* loadFromArchive(const char* name, int32_t format);
    uint32_t id() const { return textureId; }

    uint32_t textureId = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The texture every new scene node takes ("default.png"); set by the loading screen.
extern Texture* gDefaultTexture;

// Pixels decoded from a PNG, tightly packed, first stored row first.
struct DecodedImage {
    uint8_t* pixels = nullptr; // free with freeDecodedImage
    int32_t width = 0;
    int32_t height = 0;
    int32_t components = 0;
};
// Decodes PNG bytes (PNG only, at most 4096 texels a side, every chunk inside the data) into `components`
// (3 or 4) per pixel. False when the data does not decode.
bool decodePng(const uint8_t* data, size_t size, int32_t components, DecodedImage& image);
void freeDecodedImage(DecodedImage& image);

struct Glyph {
    bool valid = false;
    float texLeft = 0, texTop = 0, texRight = 0, texBottom = 0;
    int32_t width = 0, height = 0;
    int32_t xoffset = 0, yoffset = 0;
    int32_t xadvance = 0;
    int32_t page = 0, chnl = 0;
};

// Parsed text font descriptor (one page). Parsing is apart from the GL so it can be tested and fuzzed.
struct FontDescriptor {
    Glyph glyphs[256];
    int32_t pages = 0;
    int32_t scaleW = 0;
    int32_t scaleH = 0;
    int32_t lineHeight = 0;
    char pageFile[257] = {};
};
// Parses the descriptor text (lines by position: skipped info line, common, page, chars count, char lines).
// Faults are reported on standard output as "name(line): ..." and skipped: char ids outside 0..255 and char
// lines that do not match; a missing common, page or count line; a count that is negative or larger than
// the lines that follow (reading stops at the end of the data); a page size that is not positive (no
// glyphs are read, since their texture coordinates would divide by it). A later line for an id wins.
void parseFontDescriptor(const char* descriptorName, const uint8_t* data, size_t size, FontDescriptor& out);

// Draws 7-bit text as one textured quad per glyph, in normalised device coordinates.
class BitmapFont {
  public:
    // Loads the descriptor entry and its page image (RGBA); owned by the caller. A descriptor naming no page
    // gets a texture of id 0. Needs a current context.
    static BitmapFont* load(const char* name);
    ~BitmapFont();
    // x: left edge of the first glyph, y: the line's reference height, both NDC. The caller sets the
    // projection (identity), blending and the depth test. shift starts the pen textAdvance(text) to the left.
    // Leaves texturing off, the client arrays off, the page bound and an identity model-view matrix.
    void drawText(float x, float y, const char* text, bool shift);
    // Sum of (xadvance + width) / gDisplayWidth over the drawable characters of text (NDC).
    float textAdvance(const char* text) const;
    void setColor(float r, float g, float b, float a);
    // corner: 0 lower-left, 1 lower-right, 2 upper-left, 3 upper-right; others are ignored.
    void setCornerColor(int32_t corner, float r, float g, float b, float a);

    Texture* pageTexture = nullptr;
    Glyph glyphs[256];
    float cornerColors[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int32_t pages = 0;
    int32_t scaleW = 0;
    int32_t scaleH = 0;
    int32_t lineHeight = 0;
};

// Covers the whole screen with `texture` (first image row at the bottom; texture 0 draws white); additive
// adds it (GL_ONE, GL_ONE). Afterwards: depth test on, blending off after an additive call (else as the
// caller left it), texturing on with the texture bound, client arrays off, identity projection and
// model-view, matrix mode GL_MODELVIEW.
void drawScreenQuad(uint32_t texture, bool additive);

// ---- frames drawn, skipped or probed for coverage ----
// While drawing is off, the draw calls of scene nodes, the screen quad and text, and the frame's depth clear,
// are skipped: every state call still goes through, so a skipped frame leaves the GL state a drawn one leaves.
void setFrameDrawing(bool on);
bool frameDrawingOn();
// The depth clear every frame makes before its first draw (skipped while drawing is off).
void clearFrameDepth();
// Every draw call site asks first; false: skip the call. fullScreen: the call is a quad reaching past every
// edge of the viewport.
bool beginDrawCall(bool fullScreen);
// Between the two (around one drawn frame): finds whether the frame's opaque drawing (blending off) wrote
// every pixel of the viewport, so that nothing earlier frames drew can show through it. Counted: an opaque
// full-screen quad, and the pixels the depth buffer shows written, read before the first draw that may write
// depth without opaque colour (blending on), or at the end. Conservative: a frame that clears depth after a
// draw, or draws before its clear, does not count as covering. Leaves the GL state as it found it.
void beginCoverageProbe();
bool endCoverageProbe();
