#version 330
// Phong, vertex stage: world-space position and normal, and the eye position taken from the view matrix.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;
uniform mat4 viewMatrix;

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

out vec3 worldPosition;
out vec3 worldNormal;
out vec3 eyePosition;

void main() {
    vec4 world = modelMatrix * position;
    worldPosition = world.xyz / world.w;
    worldNormal = transpose(inverse(mat3(modelMatrix))) * normal;
    // The camera only turns about the origin, so the eye of the start-up view matrix stays right.
    eyePosition = -transpose(mat3(viewMatrix)) * viewMatrix[3].xyz;
    gl_Position = viewProjection * world;
}
