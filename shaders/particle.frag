#version 330
// Particles, fragment stage: a round soft sprite, white-hot in the core and cooling from yellow through
// orange to red as the particle ages, fading out towards the end of its life.

in vec2 spriteCoord;
in float spriteLife;

out vec4 fragColor;

void main() {
    float r2 = dot(spriteCoord, spriteCoord);
    if (r2 >= 1.0)
        discard;
    float falloff = 1.0 - r2;
    float soft = falloff * falloff;
    float core = exp2(-r2 * 10.0);

    vec3 ember = mix(vec3(0.85, 0.12, 0.02), vec3(1.0, 0.75, 0.2), spriteLife);
    vec3 color = mix(ember, vec3(1.0, 0.97, 0.88), core * (0.4 + 0.6 * spriteLife));
    float alpha = soft * smoothstep(0.0, 0.35, spriteLife);
    fragColor = vec4(color, alpha);
}
