#version 330
// Pink noise, vertex stage: object-space position for the noise, world-space normal for the shading.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec3 normal;

out vec3 objectPosition;
out vec3 worldNormal;

void main() {
    objectPosition = position.xyz / position.w;
    worldNormal = transpose(inverse(mat3(modelMatrix))) * normal;
    gl_Position = viewProjection * (modelMatrix * position);
}
