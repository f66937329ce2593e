#version 330
// Lit dissolve, vertex stage: world-space position and normal for the lighting, object-space ones for the
// cloud lookup, and the eye position taken from the view matrix.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;
uniform mat4 viewMatrix;

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

out vec3 objectPosition;
out vec3 objectNormal;
out vec3 worldPosition;
out vec3 worldNormal;
out vec3 eyePosition;

void main() {
    vec4 world = modelMatrix * position;
    objectPosition = position.xyz / position.w;
    objectNormal = normal;
    worldPosition = world.xyz / world.w;
    worldNormal = transpose(inverse(mat3(modelMatrix))) * normal;
    // The camera only turns, so the eye of any view matrix it sets is the same point.
    eyePosition = -transpose(mat3(viewMatrix)) * viewMatrix[3].xyz;
    gl_Position = viewProjection * world;
}
