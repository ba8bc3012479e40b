#pragma once

#include <QString>

// What may be a player's name: 1 to 20 characters, none of them "+" (the
// protocol's field separator) and none a control or formatting character
// (line breaks, direction overrides, invisible marks). The name dialog,
// the settings and the records read from the network all check it.
namespace names {

inline constexpr int kMaxLength = 20;

// Why the text cannot be a player's name; empty when it can.
QString problem(const QString &name);

// Whether the text holds a control or formatting character, or half of a
// character: text from elsewhere that could disguise itself when shown.
bool hasHiddenCharacters(const QString &text);

} // namespace names
