#version 330
// Particles, geometry stage: each live point in front of the camera becomes a camera-facing quad. The
// quad has a world-space radius (so it shrinks with distance, never below a pixel and a half), expanded in
// clip space with the viewport's aspect so that it stays square on screen.

layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

in float vertexLife[];

out vec2 spriteCoord;
out float spriteLife;

// Seconds a particle lives at most.
const float max_life = 1.0;
// World-space radius of a newborn and of a dying particle.
const float birth_radius = 0.11;
const float death_radius = 0.025;
const float min_radius_pixels = 1.5;
const float min_w = 1.0e-3;

void main() {
    float life = vertexLife[0];
    vec4 centre = gl_in[0].gl_Position;
    if (life <= 0.0 || centre.w <= min_w)
        return;

    float t = clamp(life / max_life, 0.0, 1.0);
    // The camera's vertical focal length is the length of row 1 of projection x rotation.
    float focal = length(vec3(viewProjection[0][1], viewProjection[1][1], viewProjection[2][1]));
    float radius_y = mix(death_radius, birth_radius, t) * focal;
    radius_y = max(radius_y, min_radius_pixels * 2.0 / viewportSize.y * centre.w);
    vec2 radius = vec2(radius_y * viewportSize.y / viewportSize.x, radius_y);

    spriteLife = t;
    // Clockwise on screen (the front-face winding), so face culling keeps the quad.
    spriteCoord = vec2(-1.0, -1.0);
    gl_Position = centre + vec4(-radius.x, -radius.y, 0.0, 0.0);
    EmitVertex();
    spriteCoord = vec2(-1.0, 1.0);
    gl_Position = centre + vec4(-radius.x, radius.y, 0.0, 0.0);
    EmitVertex();
    spriteCoord = vec2(1.0, -1.0);
    gl_Position = centre + vec4(radius.x, -radius.y, 0.0, 0.0);
    EmitVertex();
    spriteCoord = vec2(1.0, 1.0);
    gl_Position = centre + vec4(radius.x, radius.y, 0.0, 0.0);
    EmitVertex();
    EndPrimitive();
}
