#version 330
// Motion blur, fragment stage: a lighten blend of the last six frames, each older frame fainter. The
// result is never darker than the newest frame, so a static scene passes unchanged (also while the ring
// still holds black frames) and bright moving things drag a fading trail. The alpha sets how strongly that
// trail shows over the frame already in the back buffer.

uniform sampler2D textureUnit0;
uniform sampler2D textureUnit1;
uniform sampler2D textureUnit2;
uniform sampler2D textureUnit3;
uniform sampler2D textureUnit4;
uniform sampler2D textureUnit5;

in vec2 frameCoord;

out vec4 fragColor;

// Weight of slot k, newest (0) to oldest (5).
const float weights[6] = float[6](1.0, 0.8, 0.62, 0.46, 0.32, 0.2);
const float trail_opacity = 0.9;

void main() {
    vec3 color = texture(textureUnit0, frameCoord).rgb * weights[0];
    color = max(color, texture(textureUnit1, frameCoord).rgb * weights[1]);
    color = max(color, texture(textureUnit2, frameCoord).rgb * weights[2]);
    color = max(color, texture(textureUnit3, frameCoord).rgb * weights[3]);
    color = max(color, texture(textureUnit4, frameCoord).rgb * weights[4]);
    color = max(color, texture(textureUnit5, frameCoord).rgb * weights[5]);
    fragColor = vec4(color, trail_opacity);
}
