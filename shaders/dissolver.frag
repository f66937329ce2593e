#version 330
// Dissolve, fragment stage: the clouds texture, projected onto the object from three sides, is compared
// with a threshold that rises as "dissolveFactor" falls from 199/255 to 0. Below the threshold the surface
// is gone; just above it a band glows from white-hot to deep red; the rest is the scorched hull.

uniform float dissolveFactor;
uniform sampler2D cloudTexture;

in vec3 objectPosition;
in vec3 objectNormal;
in vec3 worldNormal;

out vec4 fragColor;

// The factor of the first dissolving frame: the surface is still whole there.
const float start_factor = 199.0 / 255.0;
// Width of the glowing band in cloud values.
const float band = 0.12;
// Cloud repeats per object unit.
const float cloud_scale = 0.7;
const vec3 light_direction = vec3(-0.4, 0.7, -0.6);

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
    // Runs from -band (nothing gone, no glow) to 1 (everything gone).
    float threshold = burn * (1.0 + band) - band;
    float value = cloud(objectPosition, objectNormal);
    float above = value - threshold;
    if (above <= 0.0)
        discard;

    float edge = 1.0 - smoothstep(0.0, band, above);
    vec3 n = normalize(worldNormal + vec3(0.0, 0.0, 1.0e-6));
    float light = 0.3 + 0.7 * max(dot(n, normalize(light_direction)), 0.0);
    // The hull darkens and reddens as the burn spreads over it.
    vec3 hull = mix(vec3(0.42, 0.45, 0.5), vec3(0.16, 0.1, 0.08), burn) * (0.55 + 0.45 * value) * light;
    vec3 embers = vec3(0.5, 0.08, 0.0) * burn * (1.0 - smoothstep(0.0, 3.0 * band, above));
    vec3 glow = mix(vec3(0.9, 0.18, 0.02), vec3(1.0, 0.95, 0.7), edge * edge);
    fragColor = vec4(mix(hull + embers, glow, edge), 1.0);
}
