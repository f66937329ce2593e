#version 330
// Pink noise, fragment stage: 1/f noise as a sum of value-noise octaves whose amplitude halves as the
// frequency doubles, mapped through a marble-like palette and lit by the key light.

in vec3 objectPosition;
in vec3 worldNormal;

out vec4 fragColor;

const int octaves = 6;
const float base_frequency = 3.0;
const vec3 light_direction = vec3(-0.4, 0.7, -0.6);

float hash(vec3 p) {
    p = fract(p * vec3(0.1031, 0.1030, 0.0973));
    p += dot(p, p.yxz + 33.33);
    return fract((p.x + p.y) * p.z);
}

float value_noise(vec3 p) {
    vec3 i = floor(p);
    vec3 f = fract(p);
    vec3 u = f * f * (3.0 - 2.0 * f);
    float n000 = hash(i);
    float n100 = hash(i + vec3(1, 0, 0));
    float n010 = hash(i + vec3(0, 1, 0));
    float n110 = hash(i + vec3(1, 1, 0));
    float n001 = hash(i + vec3(0, 0, 1));
    float n101 = hash(i + vec3(1, 0, 1));
    float n011 = hash(i + vec3(0, 1, 1));
    float n111 = hash(i + vec3(1, 1, 1));
    return mix(mix(mix(n000, n100, u.x), mix(n010, n110, u.x), u.y),
               mix(mix(n001, n101, u.x), mix(n011, n111, u.x), u.y), u.z);
}

float pink(vec3 p) {
    float sum = 0.0;
    float amplitude = 1.0;
    float total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * value_noise(p);
        total += amplitude;
        p = p * 2.0 + vec3(17.1, 5.3, 11.7);
        amplitude *= 0.5;
    }
    return sum / total;
}

void main() {
    float n = pink(objectPosition * base_frequency);
    // Stretch the octave sum (which clusters round 0.5) to the palette's range.
    float t = clamp((n - 0.25) * 2.0, 0.0, 1.0);
    vec3 deep = vec3(0.12, 0.05, 0.25);
    vec3 mid = vec3(0.85, 0.35, 0.45);
    vec3 light = vec3(1.0, 0.9, 0.7);
    vec3 color = t < 0.5 ? mix(deep, mid, t * 2.0) : mix(mid, light, t * 2.0 - 1.0);

    vec3 normal = normalize(worldNormal + vec3(0.0, 0.0, 1.0e-6));
    float shade = 0.35 + 0.65 * max(dot(normal, normalize(light_direction)), 0.0);
    fragColor = vec4(color * shade, 1.0);
}
