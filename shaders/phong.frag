#version 330
// Phong, fragment stage: per-fragment diffuse and specular light from one key light on the camera's side,
// a cool rim from behind, in "diffuseColor" with its alpha kept (translucent objects stay translucent).

uniform vec4 diffuseColor;

in vec3 worldPosition;
in vec3 worldNormal;
in vec3 eyePosition;

out vec4 fragColor;

// Towards the key light: above, to the left and behind the camera's starting direction.
const vec3 light_direction = vec3(-0.4, 0.7, -0.6);
const float ambient = 0.16;
const float shininess = 48.0;
const float specular_strength = 0.55;
const vec3 rim_color = vec3(0.25, 0.35, 0.55);

void main() {
    vec3 v = normalize(eyePosition - worldPosition);
    vec3 n = worldNormal;
    // Meshes imported without normals still shade by their facets.
    if (dot(n, n) < 1.0e-12)
        n = cross(dFdx(worldPosition), dFdy(worldPosition));
    n = normalize(n);
    if (dot(n, v) < 0.0 && dot(worldNormal, worldNormal) < 1.0e-12)
        n = -n;

    vec3 l = normalize(light_direction);
    float diffuse = max(dot(n, l), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(reflect(-l, n), v), 0.0), shininess) : 0.0;
    float rim = pow(1.0 - max(dot(n, v), 0.0), 3.0);

    vec3 color = diffuseColor.rgb * (ambient + (1.0 - ambient) * diffuse) + vec3(specular_strength * specular) +
                 rim_color * rim * 0.5;
    fragColor = vec4(color, diffuseColor.a);
}
