#version 330
// Motion blur, vertex stage: the quad is already in clip space; the texture coordinate goes on.

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;

out vec2 frameCoord;

void main() {
    frameCoord = texcoord;
    gl_Position = position;
}
