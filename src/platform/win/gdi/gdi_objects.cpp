#include "platform/win/gdi/gdi_objects.h"

#include <mutex>
#include <unordered_map>

namespace ovr::win
{

namespace
{
// Handle numbers: stock objects sit at fixed small values above the system
// colour indices (which FillRect also accepts as brushes); everything made
// later counts up from a higher base.
constexpr std::uintptr_t stockBase = 0x100;
constexpr std::uintptr_t firstDynamic = 0x10000;

std::uintptr_t stockValue(int index) { return stockBase + static_cast<std::uintptr_t>(index) * 4; }

class GdiTable
{
public:
    static GdiTable& instance()
    {
        static GdiTable table;
        return table;
    }

    std::mutex mutex;
    std::unordered_map<std::uintptr_t, GdiObject> objects;
    std::unordered_map<std::uintptr_t, std::shared_ptr<DeviceContext>> dcs;
    std::uintptr_t next = firstDynamic;

    // With mutex held: the number behind a new object's or DC's handle.
    std::uintptr_t nextValueLocked()
    {
        std::uintptr_t value = next;
        next += 4;
        return value;
    }

private:
    GdiTable()
    {
        using K = BrushObject::Kind;
        objects[stockValue(WHITE_BRUSH)] = BrushObject{K::Solid, RGB(255, 255, 255)};
        objects[stockValue(LTGRAY_BRUSH)] = BrushObject{K::Solid, RGB(192, 192, 192)};
        objects[stockValue(GRAY_BRUSH)] = BrushObject{K::Solid, RGB(128, 128, 128)};
        objects[stockValue(DKGRAY_BRUSH)] = BrushObject{K::Solid, RGB(64, 64, 64)};
        objects[stockValue(BLACK_BRUSH)] = BrushObject{K::Solid, RGB(0, 0, 0)};
        objects[stockValue(NULL_BRUSH)] = BrushObject{K::Hollow, 0};
        objects[stockValue(DC_BRUSH)] = BrushObject{K::DcColour, 0};
        objects[stockValue(WHITE_PEN)] = PenObject{false, false, RGB(255, 255, 255)};
        objects[stockValue(BLACK_PEN)] = PenObject{false, false, RGB(0, 0, 0)};
        objects[stockValue(NULL_PEN)] = PenObject{true, false, 0};
        objects[stockValue(DC_PEN)] = PenObject{false, true, 0};
        objects[stockValue(SYSTEM_FONT)] = FontObject{};
        objects[stockValue(DEFAULT_GUI_FONT)] = FontObject{};
        // The 1x1 bitmap a new memory DC starts with.
        objects[stockValue(defaultBitmapIndex)] = BitmapObject{std::make_shared<Image>(1, 1)};
    }

public:
    static constexpr int defaultBitmapIndex = 21;
};

std::uintptr_t key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }
} // namespace

std::optional<GdiObject> lookupGdiObject(HGDIOBJ handle)
{
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(key(handle));
    if (it == t.objects.end())
    {
        return std::nullopt;
    }
    return it->second;
}

HGDIOBJ addGdiObject(GdiObject object)
{
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    std::uintptr_t value = t.nextValueLocked();
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HGDIOBJ>(value);
}

bool isStockObject(HGDIOBJ handle)
{
    std::uintptr_t v = key(handle);
    return v >= stockBase && v < firstDynamic;
}

bool removeGdiObject(HGDIOBJ handle)
{
    if (isStockObject(handle))
    {
        return true; // deleting a stock object is allowed and does nothing
    }
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    return t.objects.erase(key(handle)) > 0;
}

HGDIOBJ stockObject(int index)
{
    if (index == GdiTable::defaultBitmapIndex)
    {
        return reinterpret_cast<HGDIOBJ>(stockValue(index));
    }
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    std::uintptr_t v = stockValue(index);
    return t.objects.count(v) != 0 ? reinterpret_cast<HGDIOBJ>(v) : nullptr;
}

std::shared_ptr<DeviceContext> lookupDc(HDC hdc)
{
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    auto it = t.dcs.find(key(hdc));
    return it == t.dcs.end() ? nullptr : it->second;
}

HDC addDc(std::shared_ptr<DeviceContext> dc)
{
    dc->state.brush = stockObject(WHITE_BRUSH);
    dc->state.pen = stockObject(BLACK_PEN);
    dc->state.font = stockObject(SYSTEM_FONT);
    if (!dc->isWindowDc())
    {
        dc->state.bitmap = stockObject(GdiTable::defaultBitmapIndex);
    }
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    std::uintptr_t value = t.nextValueLocked();
    t.dcs.emplace(value, std::move(dc));
    return reinterpret_cast<HDC>(value);
}

bool removeDc(HDC hdc)
{
    auto& t = GdiTable::instance();
    std::lock_guard lock(t.mutex);
    return t.dcs.erase(key(hdc)) > 0;
}

HDC createWindowDc(HWND window, std::shared_ptr<Image> surface, POINT origin, RectRegion clip)
{
    auto dc = std::make_shared<DeviceContext>();
    dc->surface = std::move(surface);
    dc->origin = origin;
    dc->clip = std::move(clip);
    dc->clipped = true;
    dc->window = window;
    return addDc(std::move(dc));
}

} // namespace ovr::win
