#version 330
// Single-pass wireframe, fragment stage: antialiased lines of constant pixel width in "wireColor" over a
// dark translucent fill with a faint glow along the inside of each edge. On triangles only a few pixels
// high the lines would cover everything, so there they fade, shaded by the key light: a dense mesh reads as
// a lit net over its surface, and large triangles keep crisp, evenly bright full-colour lines.

uniform vec4 wireColor;

noperspective in vec3 edgeDistance;
flat in float triangleHeight;
flat in float facetLight;

out vec4 fragColor;

// Pixels on each side of the edge drawn at full intensity before the exp2(-2 d^2) falloff starts.
const float line_core = 0.5;
// Pixels over which the inner glow halves.
const float glow_halving = 6.0;
const float glow_strength = 0.22;
const float fill_brightness = 0.08;
const float fill_opacity = 0.45;
// Triangle heights (pixels) between which the lines fade in, and how strong they are below that in the
// dark and in full light.
const float faded_height = 3.0;
const float full_height = 12.0;
const float faded_dark = 0.12;
const float faded_lit = 0.5;

void main() {
    vec3 d3 = abs(edgeDistance);
    float distance = min(min(d3.x, d3.y), d3.z);
    float d = max(distance - line_core, 0.0);
    float faded = mix(faded_dark, faded_lit, facetLight);
    float strength = mix(faded, 1.0, smoothstep(faded_height, full_height, triangleHeight));
    float line = strength * exp2(-2.0 * d * d);
    float glow = strength * glow_strength * exp2(-distance / glow_halving);

    vec4 fill = vec4(wireColor.rgb * (fill_brightness + glow), wireColor.a * (fill_opacity + glow));
    fragColor = mix(fill, wireColor, line);
}
