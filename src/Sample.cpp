// The opening scene; the scene itself is built on top of this file, which holds its mesh.
#include "RandomMesh.inc"
