#version 330
// Dissolve, vertex stage: hands the object-space position and normal on for the cloud lookup.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

out vec3 objectPosition;
out vec3 objectNormal;
out vec3 worldNormal;

void main() {
    objectPosition = position.xyz / position.w;
    objectNormal = normal;
    worldNormal = mat3(modelMatrix) * normal;
    gl_Position = viewProjection * (modelMatrix * position);
}
