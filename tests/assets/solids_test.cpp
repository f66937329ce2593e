// The built-in solids' vertex tables: closed, wound clockwise from outside, with unit outward normals, and
// each face textured with distinct corners: the unit square's on a square face, two base corners and the
// top middle on a triangular one.
#include "assets/mesh.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace {

using point = std::tuple<int, int, int>;
point key(glm::vec3 p) {
    return {int(glm::round(p.x * 1e4f)), int(glm::round(p.y * 1e4f)), int(glm::round(p.z * 1e4f))};
}

TEST(solids, tables_are_closed_clockwise_outward_and_textured_face_by_face) {
    const float root2 = glm::sqrt(2.0f);
    const float slanted_edge = glm::sqrt(1.0f / 3.0f + 0.75f);
    const struct {
        int kind;
        std::vector<float> edge_lengths; // every triangle edge has one of these lengths
    } rows[] = {
        {0, {1.0f, root2}}, {1, {1.0f, slanted_edge}}, {2, {1.0f}}, {3, {1.0f, root2}}, {4, {}}, {-1, {}},
        {57005, {}}};
    using corner_set = std::set<std::pair<float, float>>;
    const corner_set square = {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, triangle = {{0, 0}, {1, 0}, {0.5f, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE("kind " + std::to_string(row.kind));
        const solid_arrays s = built_in_solid(row.kind);
        const size_t vertices = s.positions.size();
        ASSERT_EQ(s.texcoords.size(), vertices);
        ASSERT_EQ(s.normals.size(), vertices);
        ASSERT_EQ(s.indices.empty(), row.edge_lengths.empty());
        ASSERT_EQ(s.indices.size() % 3, 0u);
        std::map<std::pair<point, point>, int> directed_edges;
        std::vector<bool> used(vertices, false);
        std::map<point, std::set<uint8_t>> faces; // the vertices of each face, found by their normal
        for (size_t t = 0; t < s.indices.size(); t += 3) {
            SCOPED_TRACE("triangle " + std::to_string(t / 3));
            const uint8_t ids[3] = {s.indices[t], s.indices[t + 1], s.indices[t + 2]};
            for (uint8_t i : ids)
                ASSERT_LT(i, vertices);
            const glm::vec4 corners[3] = {s.positions[ids[0]], s.positions[ids[1]], s.positions[ids[2]]};
            const glm::vec3 a(corners[0]), b(corners[1]), c(corners[2]);
            const glm::vec3 centre = (a + b + c) / 3.0f;
            // Counter-clockwise normal: points inwards exactly when the triangle runs clockwise from outside.
            const glm::vec3 ccw = glm::cross(b - a, c - a);
            EXPECT_GT(glm::length(ccw), 1e-3f);
            EXPECT_LT(glm::dot(ccw, centre), 0.0f);
            for (uint8_t i : ids) {
                used[i] = true;
                const glm::vec3 n = s.normals[i];
                EXPECT_NEAR(glm::length(n), 1.0f, 1e-5f);
                EXPECT_NEAR(glm::dot(n, -glm::normalize(ccw)), 1.0f, 1e-5f);
                EXPECT_EQ(s.positions[i].w, 1.0f);
                faces[key(n)].insert(i);
            }
            for (int e = 0; e < 3; ++e) {
                const float length = glm::distance(glm::vec3(corners[e]), glm::vec3(corners[(e + 1) % 3]));
                EXPECT_TRUE(std::any_of(row.edge_lengths.begin(), row.edge_lengths.end(),
                                        [length](float l) { return glm::abs(length - l) < 1e-4f; }))
                    << "edge length " << length;
                ++directed_edges[{key(glm::vec3(corners[e])), key(glm::vec3(corners[(e + 1) % 3]))}];
            }
        }
        for (size_t i = 0; i < vertices; ++i)
            EXPECT_TRUE(used[i]) << "vertex " << i << " is in no triangle";
        // Closed and consistently wound: every edge is crossed once in each direction.
        for (const auto& [edge, n] : directed_edges) {
            EXPECT_EQ(n, 1);
            const auto reverse = directed_edges.find({edge.second, edge.first});
            EXPECT_TRUE(reverse != directed_edges.end() && reverse->second == 1);
        }
        for (const auto& [normal, ids] : faces) {
            corner_set corners;
            for (uint8_t i : ids)
                corners.insert({s.texcoords[i].x, s.texcoords[i].y});
            EXPECT_EQ(corners, ids.size() == 4 ? square : triangle)
                << "a face of " << ids.size() << " vertices";
        }
    }
}

} // namespace
