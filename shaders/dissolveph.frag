#version 330
// Lit dissolve, fragment stage: a Phong-lit metal hull burnt away by the thresholded clouds texture, with a
// glowing band along the burning edge.

uniform float dissolveFactor;
uniform sampler2D cloudTexture;

in vec3 objectPosition;
in vec3 objectNormal;
in vec3 worldPosition;
in vec3 worldNormal;
in vec3 eyePosition;

out vec4 fragColor;

const float start_factor = 199.0 / 255.0;
const float band = 0.1;
const float cloud_scale = 0.7;
const vec3 light_direction = vec3(-0.4, 0.7, -0.6);
const vec3 hull_color = vec3(0.55, 0.6, 0.68);
const float shininess = 40.0;

float cloud(vec3 p, vec3 n) {
    vec3 w = abs(n) + 1.0e-3;
    w /= w.x + w.y + w.z;
    vec3 q = p * cloud_scale;
    float x = dot(texture(cloudTexture, q.yz).rgb, vec3(0.299, 0.587, 0.114));
    float y = dot(texture(cloudTexture, q.zx).rgb, vec3(0.299, 0.587, 0.114));
    float z = dot(texture(cloudTexture, q.xy).rgb, vec3(0.299, 0.587, 0.114));
    return x * w.x + y * w.y + z * w.z;
}

void main() {
    float burn = 1.0 - clamp(dissolveFactor / start_factor, 0.0, 1.0);
    float threshold = burn * (1.0 + band) - band;
    float value = cloud(objectPosition, objectNormal);
    float above = value - threshold;
    if (above <= 0.0)
        discard;

    vec3 n = normalize(worldNormal + vec3(0.0, 0.0, 1.0e-6));
    vec3 l = normalize(light_direction);
    vec3 v = normalize(eyePosition - worldPosition);
    float diffuse = max(dot(n, l), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(reflect(-l, n), v), 0.0), shininess) : 0.0;
    vec3 lit = hull_color * (0.2 + 0.8 * diffuse) + vec3(0.6) * specular;
    // Soot creeps ahead of the flame front.
    lit *= mix(1.0, 0.35, (1.0 - smoothstep(0.0, 4.0 * band, above)) * step(0.0, burn - 1.0e-4));

    float edge = 1.0 - smoothstep(0.0, band, above);
    vec3 glow = mix(vec3(1.0, 0.3, 0.03), vec3(1.0, 0.97, 0.8), edge * edge);
    fragColor = vec4(mix(lit, glow, edge), 1.0);
}
