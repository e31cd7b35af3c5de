// The parameter objects: one global object per key of parameters.xml (see
// core/parameters.h), each with its key, default and current value and, for
// the values the main window shows, the id and row of its control.
//
// Several threads read and write settings (the window's handlers, the
// start-up thread, the readers), so numbers and flags are atomics and texts
// are copied in and out under the object's own lock.
#pragma once

#include "platform/win/user32.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovr
{

// The key of a parameter, or the caption of one of the window's buttons.
class NamedItem
{
  public:
    explicit NamedItem(std::string itemName) : name(std::move(itemName)) {}
    NamedItem(const NamedItem&) = delete;
    NamedItem& operator=(const NamedItem&) = delete;
    virtual ~NamedItem() = default;

    const std::string name;
};

// The child control that shows a value (or a button) in the main window.
class WindowControl
{
  public:
    WindowControl(std::uint16_t id, std::int32_t y) : controlId(id), row(y) {}
    WindowControl(const WindowControl&) = delete;
    WindowControl& operator=(const WindowControl&) = delete;
    virtual ~WindowControl() = default;

    const std::uint16_t controlId; // child-window id, the id in WM_COMMAND
    const std::int32_t row;        // y of the control's row in the window
    HWND hwnd = nullptr;           // set when the control is created
    WNDPROC prevWndProc = nullptr; // only for a subclassed edit box
};

// A hidden number.
class IntParameter : public NamedItem
{
  public:
    IntParameter(std::string key, std::int32_t def, std::int32_t minimum, std::int32_t maximum)
        : NamedItem(std::move(key)), defaultValue(def), minValue(minimum), maxValue(maximum), current(def)
    {
    }

    std::int32_t clamp(std::int32_t value) const
    {
        return value < minValue ? minValue : value > maxValue ? maxValue : value;
    }

    const std::int32_t defaultValue;
    const std::int32_t minValue;
    const std::int32_t maxValue;
    std::atomic<std::int32_t> current;
};

// A number chosen in a combo box from `values` (in combo order); minimum and
// maximum are the first and the last value.
class IntListParameter : public IntParameter, public WindowControl
{
  public:
    IntListParameter(std::string key, std::int32_t def, std::vector<std::int32_t> allowed, std::uint16_t id,
                     std::int32_t y);

    // The combo index of the current value, when it is one of the values.
    std::optional<std::size_t> currentIndex() const;

    const std::vector<std::int32_t> values;
};

class FloatListParameter : public NamedItem, public WindowControl
{
  public:
    FloatListParameter(std::string key, float def, std::vector<float> allowed, std::uint16_t id,
                       std::int32_t y);

    const float defaultValue;
    const float minValue;
    const float maxValue;
    std::atomic<float> current;
    const std::vector<float> values;
};

// A hidden text.
class StringParameter : public NamedItem
{
  public:
    StringParameter(std::string key, std::string def)
        : NamedItem(std::move(key)), default_(def), current_(std::move(def))
    {
    }

    std::string value() const;
    void setValue(std::string text);
    std::string defaultText() const;
    // Only the version stamp of a new parameters file changes a default.
    void setDefaultText(std::string text);

  private:
    mutable std::mutex mutex_;
    std::string default_;
    std::string current_;
};

// A text shown in a control: an edit box, or a combo box for the kinds below.
class EditParameter : public StringParameter, public WindowControl
{
  public:
    EditParameter(std::string key, std::string def, std::uint16_t id, std::int32_t y)
        : StringParameter(std::move(key), std::move(def)), WindowControl(id, y)
    {
    }
};

class ChoiceParameter : public EditParameter
{
  public:
    ChoiceParameter(std::string key, std::string def, std::vector<std::string> choiceTexts, std::uint16_t id,
                    std::int32_t y)
        : EditParameter(std::move(key), std::move(def), id, y), choices(std::move(choiceTexts))
    {
    }

    const std::vector<std::string> choices;
};

// A choice whose list is refilled at run time through a shared list.
class SharedChoiceParameter : public EditParameter
{
  public:
    SharedChoiceParameter(std::string key, std::string def, std::shared_ptr<std::vector<std::string>> list,
                          std::uint16_t id, std::int32_t y)
        : EditParameter(std::move(key), std::move(def), id, y), choices(std::move(list))
    {
    }

    const std::shared_ptr<std::vector<std::string>> choices;
};

// Every bool is shown as a check box.
class BoolParameter : public NamedItem, public WindowControl
{
  public:
    BoolParameter(std::string key, bool def, std::uint16_t id, std::int32_t y)
        : NamedItem(std::move(key)), WindowControl(id, y), defaultValue(def), current(def)
    {
    }

    const bool defaultValue;
    std::atomic<bool> current;
};

// The index of the current text among the choices (exact comparison, first
// match); none when it is absent.
std::optional<std::size_t> gf_choiceIndex(const ChoiceParameter& parameter);

} // namespace ovr
