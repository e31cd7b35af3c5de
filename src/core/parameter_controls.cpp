#include "core/parameter_controls.h"

#include <atomic>

namespace ovr
{

namespace
{

std::atomic<void (*)(const BoolParameter&)> g_showCheck{nullptr};
std::atomic<void (*)(const IntListParameter&)> g_showValue{nullptr};
std::atomic<void (*)(const EditParameter&)> g_showText{nullptr};
std::atomic<void (*)(const WindowControl&, bool)> g_enable{nullptr};
std::atomic<void (*)(const WindowControl&, std::size_t)> g_select{nullptr};
std::atomic<ControlEnableHook> g_enableById{nullptr};

} // namespace

void gf_setParameterControlHooks(const ParameterControlHooks& hooks)
{
    g_showCheck = hooks.showCheck;
    g_showValue = hooks.showValue;
    g_showText = hooks.showText;
    g_enable = hooks.enable;
    g_select = hooks.select;
}

void gf_showParameterCheck(const BoolParameter& parameter)
{
    if (auto show = g_showCheck.load())
    {
        show(parameter);
    }
}

void gf_showParameterValue(const IntListParameter& parameter)
{
    if (auto show = g_showValue.load())
    {
        show(parameter);
    }
}

void gf_showParameterText(const EditParameter& parameter)
{
    if (auto show = g_showText.load())
    {
        show(parameter);
    }
}

void gf_enableParameterControl(const WindowControl& control, bool enable)
{
    if (auto apply = g_enable.load())
    {
        apply(control, enable);
    }
}

void gf_selectParameterEntry(const WindowControl& control, std::size_t index)
{
    if (auto apply = g_select.load())
    {
        apply(control, index);
    }
}

void gf_setControlEnableHook(ControlEnableHook hook)
{
    g_enableById = hook;
}

void gf_enableControl(std::uint16_t controlId, bool enable)
{
    if (auto apply = g_enableById.load())
    {
        apply(controlId, enable);
    }
}

} // namespace ovr
