// The word scene; the scene itself is built on top of this file, which holds its meshes.
#include "WordMeshes.inc"
