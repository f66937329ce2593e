#version 330
// Textured dissolve, vertex stage: texture coordinate for the surface image, object-space position and
// normal for the cloud lookup, world-space ones and the eye for the lighting.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;
uniform mat4 viewMatrix;

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

out vec2 surfaceCoord;
out vec3 objectPosition;
out vec3 objectNormal;
out vec3 worldPosition;
out vec3 worldNormal;
out vec3 eyePosition;

void main() {
    vec4 world = modelMatrix * position;
    surfaceCoord = texcoord;
    objectPosition = position.xyz / position.w;
    objectNormal = normal;
    worldPosition = world.xyz / world.w;
    worldNormal = transpose(inverse(mat3(modelMatrix))) * normal;
    eyePosition = -transpose(mat3(viewMatrix)) * viewMatrix[3].xyz;
    gl_Position = viewProjection * world;
}
