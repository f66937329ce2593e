// The built-in solids' vertex tables: closed, wound clockwise from outside, with unit outward normals.
#include "assets/mesh.h"

#include <tuple>
#include <gtest/gtest.h>
#include <map>
#include <utility>

namespace {

struct solid_row {
    int kind;
    size_t vertices;
    size_t indices;
    std::vector<float> edge_lengths; // every triangle edge has one of these lengths
};

const float slanted_edge = glm::sqrt(glm::sqrt(3.0f) / 6.0f * glm::sqrt(3.0f) / 6.0f * 4.0f + 0.75f);

const std::vector<solid_row> solid_rows = {
    {0, 24, 36, {1.0f, glm::sqrt(2.0f)}},
    {1, 12, 12, {1.0f, slanted_edge}},
    {2, 24, 24, {1.0f}},
    {3, 16, 18, {1.0f, glm::sqrt(2.0f)}},
};

using point = std::tuple<int, int, int>;
point key(glm::vec4 p) {
    return {int(glm::round(p.x * 1e4f)), int(glm::round(p.y * 1e4f)), int(glm::round(p.z * 1e4f))};
}

TEST(solids, tables_are_closed_clockwise_and_outward) {
    for (const solid_row& row : solid_rows) {
        SCOPED_TRACE("kind " + std::to_string(row.kind));
        const solid_arrays s = built_in_solid(row.kind);
        ASSERT_EQ(s.positions.size(), row.vertices);
        ASSERT_EQ(s.texcoords.size(), row.vertices);
        ASSERT_EQ(s.normals.size(), row.vertices);
        ASSERT_EQ(s.indices.size(), row.indices);
        std::map<std::pair<point, point>, int> directed_edges;
        std::vector<bool> used(row.vertices, false);
        for (size_t t = 0; t < s.indices.size(); t += 3) {
            SCOPED_TRACE("triangle " + std::to_string(t / 3));
            const uint8_t ia = s.indices[t], ib = s.indices[t + 1], ic = s.indices[t + 2];
            ASSERT_LT(ia, row.vertices);
            ASSERT_LT(ib, row.vertices);
            ASSERT_LT(ic, row.vertices);
            const glm::vec3 a(s.positions[ia]), b(s.positions[ib]), c(s.positions[ic]);
            const glm::vec3 centre = (a + b + c) / 3.0f;
            // Counter-clockwise normal: points inwards exactly when the triangle runs clockwise from outside.
            const glm::vec3 ccw = glm::cross(b - a, c - a);
            EXPECT_GT(glm::length(ccw), 1e-3f);
            EXPECT_LT(glm::dot(ccw, centre), 0.0f);
            for (uint8_t i : {ia, ib, ic}) {
                used[i] = true;
                const glm::vec3 n = s.normals[i];
                EXPECT_NEAR(glm::length(n), 1.0f, 1e-5f);
                EXPECT_GT(glm::dot(n, centre), 0.0f);
                EXPECT_NEAR(glm::dot(n, -glm::normalize(ccw)), 1.0f, 1e-5f);
                EXPECT_EQ(s.positions[i].w, 1.0f);
                EXPECT_GE(s.texcoords[i].x, 0.0f);
                EXPECT_LE(s.texcoords[i].x, 1.0f);
                EXPECT_GE(s.texcoords[i].y, 0.0f);
                EXPECT_LE(s.texcoords[i].y, 1.0f);
            }
            const glm::vec4 corners[3] = {s.positions[ia], s.positions[ib], s.positions[ic]};
            for (int e = 0; e < 3; ++e) {
                const float length = glm::distance(glm::vec3(corners[e]), glm::vec3(corners[(e + 1) % 3]));
                bool known = false;
                for (float l : row.edge_lengths)
                    known = known || glm::abs(length - l) < 1e-4f;
                EXPECT_TRUE(known) << "edge length " << length;
                ++directed_edges[{key(corners[e]), key(corners[(e + 1) % 3])}];
            }
        }
        for (size_t i = 0; i < row.vertices; ++i)
            EXPECT_TRUE(used[i]) << "vertex " << i << " is in no triangle";
        // Closed and consistently wound: every edge is crossed once in each direction.
        for (const auto& [edge, n] : directed_edges) {
            EXPECT_EQ(n, 1);
            const auto reverse = directed_edges.find({edge.second, edge.first});
            EXPECT_TRUE(reverse != directed_edges.end() && reverse->second == 1);
        }
    }
}

TEST(solids, match_the_designed_index_orders_and_sample_values) {
    const solid_arrays cube = built_in_solid(0);
    EXPECT_EQ(std::vector<uint8_t>(cube.indices.begin(), cube.indices.begin() + 12),
              (std::vector<uint8_t>{0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4}));
    EXPECT_EQ(cube.texcoords[0], glm::vec2(1, 0));
    EXPECT_EQ(cube.normals[0], glm::vec3(0, 0, 1));
    EXPECT_EQ(cube.normals[23], glm::vec3(0, -1, 0));

    const solid_arrays tri = built_in_solid(1);
    EXPECT_EQ(tri.indices, (std::vector<uint8_t>{0, 2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_NEAR(tri.positions[4].y, 0.577350f, 1e-5f);
    EXPECT_NEAR(tri.normals[3].x, 0.821584f, 1e-5f);
    EXPECT_NEAR(tri.normals[3].y, 0.316228f, 1e-5f);
    EXPECT_NEAR(tri.normals[3].z, 0.474342f, 1e-5f);
    EXPECT_NEAR(tri.normals[9].z, -0.948683f, 1e-5f);

    const solid_arrays octa = built_in_solid(2);
    EXPECT_NEAR(octa.positions[2].y, 0.707107f, 1e-5f);
    EXPECT_NEAR(octa.normals[12].y, -0.577350f, 1e-5f);
    EXPECT_NEAR(octa.normals[12].z, 0.816497f, 1e-5f);

    const solid_arrays square = built_in_solid(3);
    EXPECT_EQ(std::vector<uint8_t>(square.indices.begin() + 12, square.indices.end()),
              (std::vector<uint8_t>{12, 13, 14, 14, 13, 15}));
    EXPECT_EQ(square.texcoords[12], glm::vec2(1, 1));
    EXPECT_EQ(square.texcoords[15], glm::vec2(0, 0));
    EXPECT_NEAR(square.positions[2].y, 0.353553f, 1e-5f);
}

TEST(solids, other_kinds_have_no_tables) {
    for (int kind : {4, -1, 57005}) {
        const solid_arrays s = built_in_solid(kind);
        EXPECT_TRUE(s.positions.empty() && s.texcoords.empty() && s.normals.empty() && s.indices.empty())
            << "kind " << kind;
    }
}

} // namespace
