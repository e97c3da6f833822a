// The five solids the scenes draw, compiled into the program as plain arrays.
//
// They are made by tools/meshgen and live in generated files that the drawing scenes include:
// `random` with the opening scene (RandomMesh.inc), the four words with the word scene
// (WordMeshes.inc). Per mesh: the vertex and triangle counts, x y z per vertex, a unit normal
// per vertex, and three vertex indices per triangle, counter-clockwise seen from outside.
// Every mesh is closed, and no two vertices share a position. The data never change.
#pragma once

extern const int random_numberVertices;
extern const int random_numberFaces;
extern const float random_vertices[];
extern const float random_normals[];
extern const int random_faces[];

extern const int fuckings_numberVertices;
extern const int fuckings_numberFaces;
extern const float fuckings_vertices[];
extern const float fuckings_normals[];
extern const int fuckings_faces[];

extern const int goes_numberVertices;
extern const int goes_numberFaces;
extern const float goes_vertices[];
extern const float goes_normals[];
extern const int goes_faces[];

extern const int out_numberVertices;
extern const int out_numberFaces;
extern const float out_vertices[];
extern const float out_normals[];
extern const int out_faces[];

extern const int to_numberVertices;
extern const int to_numberFaces;
extern const float to_vertices[];
extern const float to_normals[];
extern const int to_faces[];
