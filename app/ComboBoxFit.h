#pragma once

class QComboBox;

namespace ComboBoxFit {

// Sizes `box` to its longest item and lets its list show every item whole.
// Some styles draw the list as a menu whose items ask for no room for their
// text, so a long one was elided in the middle; the list draws its items as
// list items instead, which size themselves to their text.
void fitItems(QComboBox& box);

} // namespace ComboBoxFit
