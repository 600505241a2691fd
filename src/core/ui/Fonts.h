#pragma once

// The Japanese font names the settings may hold come from other systems
// ("ＭＳ Ｐゴシック" and its family); maps each to an installed Japanese font.
void installJapaneseFontSubstitutes();
