// The generator of the demo's five embedded solids: the six-armed `random` and the four
// extruded words. It builds each as an indexed triangle mesh with per-vertex normals and
// writes them out as C++ array definitions that the scenes compile in.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace meshgen {

using Vec3 = std::array<double, 3>;

struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;             // filled by computeNormals
    std::vector<std::array<int, 3>> faces; // counter-clockwise seen from outside
};

// One vertex normal each: the mean of the adjacent triangles' normals, weighted by the
// triangles' angles at the vertex, made unit length.
void computeNormals(Mesh& mesh);

// Triangulates a polygon given as an outer contour (counter-clockwise) and holes (clockwise),
// each a list of indices into points. Every triangle is counter-clockwise and uses only the
// contours' own points; the result is made Delaunay by flipping interior edges.
std::vector<std::array<int, 3>> triangulate(const std::vector<std::array<double, 2>>& points,
                                            const std::vector<std::vector<int>>& contours);

// A word in the block capitals, extruded from z = -depth/2 to +depth/2, centred on the origin,
// cap height from -capHalf to +capHalf, stretched in x to span -halfWidth .. +halfWidth.
// mirrored flips it in x so that it reads correctly from the -z side.
Mesh wordMesh(const std::string& word, double capHalf, double depth, double halfWidth,
              bool mirrored);

// The abstract solid: a twisted six-armed star, one closed surface without holes.
Mesh randomMesh();

// The C++ definitions of the five arrays of one mesh, values printed with six decimals.
std::string cppArrays(const std::string& name, const Mesh& mesh);

} // namespace meshgen
