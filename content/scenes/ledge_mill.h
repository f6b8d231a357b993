// The farmstead the harvest is brought to: a bench of rock below the brink with a windmill, a granary and
// houses on it, and the wooden chute that takes the grain down to the mill from the bin where the truck
// tips its load.
#pragma once

#include "kit/mesh.h"
#include "kit/xsi_writer.h"

#include <vector>

namespace scenes::ledge {

constexpr float kBenchTop = 16;                 // the bench's fields, some 18 units below the ledge's top
constexpr kit::Vec3 kMillAt{93, 42, kBenchTop}; // the foot of the windmill's tower
constexpr float kTowerHeight = 24;

// Where the chute ends: the loading door high on the mill's tower, on the side toward the brink.
kit::Vec3 millDoor();

// The bench: a broad step of the mesa's rock that stands out from the cliff under the brink, down to the
// valley floor, with fields on its top. Still, in world units.
kit::Mesh millBench();
// The windmill's tower and cap, the granary, the farmhouse and cottages with their windows lit, and a few
// trees; still, in world units. Seen against the sun: dark violet walls under warm lit roofs' edges.
kit::Mesh farmstead();
// The sails on their own node, turning on rotation keys about the mill's axle (along Y, facing the camera)
// for frames 0..frames-1.
kit::Model millSails(int frames);

// A wooden flume on trestles from `from` to `to` (its floor's middle at both ends), the trestles standing
// down to `groundZ`.
kit::Mesh grainChute(kit::Vec3 from, kit::Vec3 to, float groundZ);
// The plank bin on the spur that the load is tipped into, in the truck's frame at the lip (x in along the
// bed's floor, y along the bed): its floor at `floorZ`, walls round x in [x0, x1], y in [y0, y1], open
// toward the cliff (+x) and, for the chute, on the outer side round y = gapY.
kit::Mesh grainBin(float x0, float x1, float y0, float y1, float floorZ, float gapY);

// Light for what stands out in the valley under the sunset (the buildings, the bin, the chute): the vertex
// colours hold the paint; this multiplies in the shade of the side away from the sun and the sky's light.
kit::Mesh& sunsetShade(kit::Mesh& mesh, float haze);

} // namespace scenes::ledge
