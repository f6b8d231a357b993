// The start-up warm-up: every part drawn once before the clock starts, then everything put back.
#include "demo/demo.h"

namespace {

struct Moment {
    void (*draw)(uint32_t t, const ScreenInfo* screen);
    uint32_t t; // the part's local time
};

// Each stretch of every part that draws something the others do not: Part A with and without its credits,
// Part B before and after its title, Part C with and without the aircraft, its background and the sun
// beams, and Part D.
const Moment kMoments[] = {{drawPartA, 100},   {drawPartA, 2000},  {drawPartB, 1000},  {drawPartB, 6000},
                           {drawPartC, 1000},  {drawPartC, 11000}, {drawPartC, 20000}, {drawPartC, 40000},
                           {drawPartC, 50000}, {drawPartD, 1000}};

} // namespace

void warmUpParts(const ScreenInfo* screen) {
    DemoSnapshot snapshot;
    snapshot.take();
    for (const Moment& moment : kMoments) {
        gFieldOfView = 0.6f;
        moment.draw(moment.t, screen);
    }
    snapshot.restore();
}
