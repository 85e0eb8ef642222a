#pragma once

class AbstractMetaDescription;
class BasePropertyView;
class QWidget;

// The choice of the view for a property: by special type first ("PickFile"/"PickFolder",
// "Multiline", "Slider", "EnumStringList", "StringList" on a text, "Range"), then enumerations,
// then by type name; anything else is edited as one line of text.
class PropertyViewFactory
{
public:
    // The new view; span is the number of grid columns it takes (1, or 2 for wide editors).
    static BasePropertyView* create(AbstractMetaDescription* description, QWidget* parent, int& span);
};
