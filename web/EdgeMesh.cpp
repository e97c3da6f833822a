#include "EdgeMesh.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

bool EdgeMesh::update(const std::vector<Vertex>& newBlock, size_t newCorners) {
    if (newCorners == corners && newBlock.size() == block.size() &&
        std::memcmp(newBlock.data(), block.data(), block.size() * sizeof(Vertex)) == 0) {
        return false;
    }
    block = newBlock;
    corners = newCorners;
    block.resize(block.size() / corners * corners);
    std::unordered_map<std::string, unsigned> ids;
    std::vector<unsigned> id(block.size());
    for (size_t i = 0; i < block.size(); ++i) {
        const auto* bytes = reinterpret_cast<const char*>(&block[i]);
        id[i] = ids.emplace(std::string(bytes, sizeof(Vertex)), ids.size()).first->second;
    }
    std::unordered_set<unsigned long long> seen;
    edges.clear();
    for (size_t first = 0; first < block.size(); first += corners) {
        for (size_t k = 0; k < corners; ++k) {
            const size_t a = first + k;
            const size_t b = first + (k + 1) % corners;
            const unsigned long long key =
                (static_cast<unsigned long long>(std::min(id[a], id[b])) << 32) |
                std::max(id[a], id[b]);
            if (seen.insert(key).second) {
                edges.push_back(static_cast<unsigned short>(a));
                edges.push_back(static_cast<unsigned short>(b));
            }
        }
    }
    return true;
}

void EdgeMesh::forget() {
    block.clear();
    corners = 0;
    edges.clear();
}

void EdgeMesh::outlines(const std::vector<Vertex>& block, size_t corners,
                        std::vector<Vertex>& lines) {
    lines.clear();
    for (size_t first = 0; first + corners <= block.size(); first += corners) {
        for (size_t k = 0; k < corners; ++k) {
            lines.push_back(block[first + k]);
            lines.push_back(block[first + (k + 1) % corners]);
        }
    }
}
