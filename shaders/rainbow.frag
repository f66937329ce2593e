#version 330
// Rainbow, fragment stage: hue bands running diagonally over the object, with soft dark seams between
// them, lit by the key light.

in vec3 objectPosition;
in vec3 worldNormal;

out vec4 fragColor;

const float bands_per_unit = 5.0;
// Bands per trip round the hue circle.
const float bands_per_cycle = 6.0;
const vec3 band_axis = vec3(0.3, 1.0, 0.2);
const vec3 light_direction = vec3(-0.4, 0.7, -0.6);

vec3 hue(float h) {
    vec3 k = abs(fract(h + vec3(0.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0) - 1.0;
    return clamp(k, 0.0, 1.0);
}

void main() {
    float s = dot(objectPosition, normalize(band_axis)) * bands_per_unit;
    float band = floor(s);
    float within = fract(s);
    // Each band one hue, seams darkened over a small fraction of the band, antialiased by the derivative.
    float width = fwidth(s) * 1.5 + 0.03;
    float seam = smoothstep(0.0, width, within) * smoothstep(0.0, width, 1.0 - within);
    vec3 color = hue(band / bands_per_cycle) * (0.35 + 0.65 * seam);

    vec3 normal = normalize(worldNormal + vec3(0.0, 0.0, 1.0e-6));
    float shade = 0.35 + 0.65 * max(dot(normal, normalize(light_direction)), 0.0);
    fragColor = vec4(color * shade, 1.0);
}
