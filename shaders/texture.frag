#version 330
// Texture mapping, fragment stage: the "colorMap" image, opaque.

uniform sampler2D colorMap;

in vec2 mapCoord;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(colorMap, mapCoord).rgb, 1.0);
}
