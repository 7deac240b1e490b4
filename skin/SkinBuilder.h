#pragma once
// Turns a parsed skin into controls: the root element's window properties and fonts go to the
// paint manager, each element below becomes a control of its tag with its attributes applied
// (the tag's default attribute list first).

#include <memory>

#include "SkinXmlParser.h"

class CControlUI;
class CPaintManagerUI;
class QWidget;

namespace skin {

// Builds the controls of `doc` under `host`; returns the root control, or nullptr when the
// document has no control element. Unknown tags are skipped with their children.
CControlUI* BuildSkin(const SkinDocument& doc, CPaintManagerUI& manager, QWidget* host);
// One control (and its children) of a known tag, or nullptr for an unknown tag.
std::unique_ptr<CControlUI> CreateControl(const std::string& tag);

} // namespace skin
