// Where each part of the vehicle textures lies: named rectangles of the atlases, for mapping mesh faces.
//
// Rectangles are in texels of the picture as a viewer shows it (x right, y down from the top row).
// u0 v0 u1 v1 turn them into ordinary mesh UVs (v up from the picture's bottom edge; the scene loader
// flips v when it reads the file). Keep UVs half a texel inside a rectangle: sampling is bilinear, so a
// coordinate on the border picks up the neighbouring region's colour.
#pragma once

struct AtlasRegion {
    int x, y, width, height;     // texels, y down from the top row
    int imageWidth, imageHeight; // texels of the whole atlas

    constexpr float u0() const { return float(x) / float(imageWidth); }
    constexpr float u1() const { return float(x + width) / float(imageWidth); }
    constexpr float v0() const { return 1.0f - float(y + height) / float(imageHeight); } // bottom edge
    constexpr float v1() const { return 1.0f - float(y) / float(imageHeight); }          // top edge
    // Mesh UV of a point given as fractions across the rectangle (fv = 0 at its bottom edge).
    constexpr float u(float fu) const { return u0() + (u1() - u0()) * fu; }
    constexpr float v(float fv) const { return v0() + (v1() - v0()) * fv; }
};

// "Terex_MainBody.png", 256 x 256: the dump truck in industrial yellow.
namespace terexAtlas {
constexpr int kWidth = 256, kHeight = 256;
constexpr AtlasRegion paint{0, 0, 128, 128, kWidth, kHeight};    // clean yellow, faint grime: large panels
constexpr AtlasRegion panel{128, 0, 128, 128, kWidth, kHeight};  // yellow with seams, rivets, rust streaks
                                                                 // running down (dump bed sides, cab)
constexpr AtlasRegion stripes{0, 128, 256, 32, kWidth, kHeight}; // black/yellow hazard band; repeats along u
constexpr AtlasRegion window{0, 160, 64, 64, kWidth, kHeight};   // cab glass in a black rubber frame
constexpr AtlasRegion grille{64, 160, 64, 64, kWidth, kHeight};  // black radiator grille, grey frame
constexpr AtlasRegion darkMetal{128, 160, 64, 64, kWidth, kHeight}; // chassis, exhaust, underside
constexpr AtlasRegion greyMetal{192, 160, 64, 64, kWidth, kHeight}; // bumper, steps, ladder
constexpr AtlasRegion headlight{0, 224, 32, 32, kWidth, kHeight};   // round lamp, centred
constexpr AtlasRegion taillight{32, 224, 32, 32, kWidth, kHeight};  // red lamp, centred
constexpr AtlasRegion mudPaint{64, 224, 192, 32, kWidth, kHeight};  // yellow caked with mud toward v0: lower
                                                                    // body edges, wheel arches
} // namespace terexAtlas

// "harvester.png", 256 x 256: the combine harvester in red with a white stripe.
namespace harvesterAtlas {
constexpr int kWidth = 256, kHeight = 256;
constexpr AtlasRegion paint{0, 0, 128, 128, kWidth, kHeight};   // clean red, faint grime
constexpr AtlasRegion stripe{128, 0, 128, 32, kWidth, kHeight}; // red with a white stripe along u; repeats
constexpr AtlasRegion panel{128, 32, 128, 96, kWidth, kHeight}; // red panels: seams, engine louvres, grime
constexpr AtlasRegion glass{0, 128, 64, 64, kWidth, kHeight};   // cab glass, sky reflection, thin frame
constexpr AtlasRegion grille{64, 128, 64, 64, kWidth, kHeight}; // dark grille, grey frame
constexpr AtlasRegion reel{128, 128, 128, 32, kWidth, kHeight}; // reel bats: yellow slats on dark, repeat
                                                                // along u
constexpr AtlasRegion darkMetal{128, 160, 64, 64, kWidth, kHeight}; // frame, axle, unloading auger
constexpr AtlasRegion steel{192, 160, 64, 64, kWidth, kHeight}; // worn bright steel: header floor, dividers
constexpr AtlasRegion cutterBar{0, 192, 128, 32, kWidth, kHeight}; // knife guards along u, points toward v1
constexpr AtlasRegion headlight{0, 224, 32, 32, kWidth, kHeight};  // round lamp, centred
constexpr AtlasRegion warning{32, 224, 96, 32, kWidth, kHeight};   // red/white diagonal warning band
constexpr AtlasRegion tyre{128, 224, 128, 32, kWidth, kHeight};    // tyre tread of the harvester's own wheels
} // namespace harvesterAtlas

// "Tire.png", 256 x 256: truck tyres and rims.
namespace tireAtlas {
constexpr int kWidth = 256, kHeight = 256;
constexpr AtlasRegion tread{0, 0, 256, 64, kWidth, kHeight}; // chevron tread; u around the tyre (repeats),
                                                             // v across its width
constexpr AtlasRegion sidewall{
    0, 64, 256, 64, kWidth, kHeight};                         // sidewall band with raised lettering; u
                                                              // around (repeats), v0 at the rim, v1 at tread
constexpr AtlasRegion rim{0, 128, 128, 128, kWidth, kHeight}; // yellow wheel disc seen face-on: centre of
                                                              // the hub at the rectangle's centre, radius
                                                              // 0.5 of it reaches the rim's edge
constexpr AtlasRegion rubber{128, 128, 64, 64, kWidth, kHeight};   // plain dark rubber
constexpr AtlasRegion hubMetal{192, 128, 64, 64, kWidth, kHeight}; // dark axle metal
constexpr AtlasRegion rimBarrel{128, 192,    128,
                                64,  kWidth, kHeight}; // yellow rim barrel, dirty; repeats along u
} // namespace tireAtlas

// "osprey.png", 256 x 256: the tilt-rotor aircraft in military grey-green.
namespace ospreyAtlas {
constexpr int kWidth = 256, kHeight = 256;
constexpr AtlasRegion skin{0, 0, 128, 128, kWidth, kHeight};        // fuselage: panel seams and rivet rows
constexpr AtlasRegion wing{128, 0, 128, 128, kWidth, kHeight};      // wing and tail surfaces: seams along u
constexpr AtlasRegion canopy{0, 128, 64, 64, kWidth, kHeight};      // cockpit glass with frame bars
constexpr AtlasRegion marking{64, 128, 64, 64, kWidth, kHeight};    // low-visibility stencilled code "07"
constexpr AtlasRegion darkMetal{128, 128, 64, 64, kWidth, kHeight}; // exhausts, gear, intakes
constexpr AtlasRegion belly{192, 128, 64, 64, kWidth, kHeight};     // lighter grey underside
constexpr AtlasRegion nacelle{0, 192, 128, 64, kWidth, kHeight};    // engine nacelle bands; repeats along u
constexpr AtlasRegion soot{128, 192, 128, 64, kWidth, kHeight};     // skin blackened by exhaust toward v0
} // namespace ospreyAtlas

// "grass.png", 256 x 128 (RGBA): a strip of blades standing on the picture's bottom edge (v = 0), tips toward
// v = 1; repeats along u.
namespace grassAtlas {
constexpr int kWidth = 256, kHeight = 128;
} // namespace grassAtlas
