#version 330
// Textured dissolve, fragment stage: the surface shows "renderedTexture", lit, and burns away where the
// clouds texture falls below the threshold that "dissolveFactor" sets, with a glowing edge band.

uniform float dissolveFactor;
uniform sampler2D cloudTexture;
uniform sampler2D renderedTexture;

in vec2 surfaceCoord;
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
    float above = cloud(objectPosition, objectNormal) - threshold;
    if (above <= 0.0)
        discard;

    vec3 n = normalize(worldNormal + vec3(0.0, 0.0, 1.0e-6));
    vec3 l = normalize(light_direction);
    vec3 v = normalize(eyePosition - worldPosition);
    float diffuse = max(dot(n, l), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(reflect(-l, n), v), 0.0), 24.0) : 0.0;
    vec3 surface = texture(renderedTexture, surfaceCoord).rgb;
    vec3 lit = surface * (0.3 + 0.7 * diffuse) + vec3(0.35) * specular;

    float edge = 1.0 - smoothstep(0.0, band, above);
    vec3 glow = mix(vec3(0.95, 0.25, 0.05), vec3(1.0, 0.95, 0.75), edge * edge);
    fragColor = vec4(mix(lit, glow, edge), 1.0);
}
