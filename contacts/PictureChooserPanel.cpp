#include "contacts/PictureChooserPanel.h"

#include "contacts/ContactStoreAccess.h"
#include "contacts/ThumbnailLoader.h"
#include "graphics/Image.h"
#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"
#include "platform/core/Utf.h"
#include "platform/shell/Programs.h"
#include "platform/text/TextDrawing.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"
#include "ui/Label.h"

#include <algorithm>

namespace vantrel {

namespace fs = std::filesystem;
using platform::Rect;

namespace {

PictureChooserPanel* openChooser = nullptr;

// One picture: its name and size in "item.filename.box" and "item.caption.box" (the
// caption formatted from "item.caption.format" with the size in KB), its thumbnail in
// "item.thumbnail.box" once decoded.
class PictureItem : public BaseItem {
public:
    PictureItem(std::u16string name, uintmax_t bytes, size_t row)
        : BaseItem(std::move(name)), kilobytes_(static_cast<int64_t>((bytes + 1023) / 1024)),
          row_(row) {}

    size_t row() const { return row_; }
    void setThumbnail(std::unique_ptr<Image> thumbnail) { thumbnail_ = std::move(thumbnail); }

    int paint(PaintContext& context, const Rect& rect, const Rect& clip,
              bool highlighted) override {
        BaseItem::paint(context, rect, clip, highlighted);
        SmartListControl* owner = list();
        if (!owner)
            return 0;
        const auto noCache = LightControl::noCache;
        auto font = [&](std::u16string_view key, std::u16string_view highlightedKey) -> const Font& {
            return owner->getFont(highlighted ? highlightedKey : key, noCache);
        };
        constexpr unsigned oneLine = platform::TextFormat::VerticalCentre |
                                     platform::TextFormat::SingleLine |
                                     platform::TextFormat::NoPrefix;
        font(u"item.filename.font", u"item.filename.font.highlighted")
            .drawText(context.surface, text(),
                      owner->getBox(u"item.filename.box", noCache).rectangle(rect), oneLine, clip);
        std::u16string caption =
            formatText(owner->getText(u"item.caption.format"), {FormatArgument(kilobytes_)});
        font(u"item.caption.font", u"item.caption.font.highlighted")
            .drawText(context.surface, caption,
                      owner->getBox(u"item.caption.box", noCache).rectangle(rect), oneLine, clip);
        if (thumbnail_)
            thumbnail_->drawFitted(context.surface,
                                   owner->getBox(u"item.thumbnail.box", noCache).rectangle(rect),
                                   clip);
        return 1;
    }

    void describe(DumpWriter& out) const override {
        BaseItem::describe(out);
        out.add("kilobytes", DumpValue(kilobytes_));
        out.add("thumbnail", thumbnail_ != nullptr);
    }

private:
    int64_t kilobytes_;
    size_t row_;
    std::unique_ptr<Image> thumbnail_;
};

class PickAction : public ItemAction {
public:
    explicit PickAction(PictureChooserPanel* panel) : panel_(panel) {}
    void execute(IListItem* item, int, int) override {
        if (auto* picture = dynamic_cast<PictureItem*>(item))
            panel_->choose(picture->row());
    }

private:
    PictureChooserPanel* panel_;
};

bool hasExtension(const fs::path& file, std::u16string_view extensions) {
    const std::u16string extension = platform::asciiLower(platform::toUtf16(file.extension().string()));
    if (extension.empty())
        return false;
    while (!extensions.empty()) {
        size_t comma = extensions.find(u',');
        std::u16string_view one = extensions.substr(0, comma);
        while (!one.empty() && one.front() == u' ')
            one.remove_prefix(1);
        if (platform::equalsIgnoreAsciiCase(one, extension))
            return true;
        if (comma == std::u16string_view::npos)
            break;
        extensions.remove_prefix(comma + 1);
    }
    return false;
}

} // namespace

// ---- the chooser ----

std::vector<fs::path> PictureChooserPanel::listPictures(const fs::path& folder,
                                                        std::u16string_view extensions,
                                                        uintmax_t minimumSize,
                                                        uintmax_t maximumSize) {
    std::vector<fs::path> found;
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          error);
    // NOTE: the walk stops at maxPictures and never goes deeper than maxDepth, so a
    // pictures folder holding a whole photo archive costs a bounded listing.
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk.depth() >= maxDepth)
            walk.disable_recursion_pending();
        const fs::directory_entry& entry = *walk;
        std::error_code statError;
        if (!entry.is_regular_file(statError) || !hasExtension(entry.path(), extensions))
            continue;
        uintmax_t size = entry.file_size(statError);
        if (statError || size < minimumSize || size > maximumSize)
            continue;
        found.push_back(entry.path());
        if (found.size() >= maxPictures)
            break;
    }
    std::sort(found.begin(), found.end());
    return found;
}

PictureChooserPanel* PictureChooserPanel::open(platform::WindowHandle window, Chosen chosen) {
    auto chooser = std::make_unique<PictureChooserPanel>(window, std::move(chosen));
    return static_cast<PictureChooserPanel*>(SimpleDialog::open(std::move(chooser)));
}

void PictureChooserPanel::deliverThumbnails() {
    PictureChooserPanel* chooser = openChooser;
    if (!chooser || !chooser->loader_)
        return;
    // The rows were appended in file order, one per file.
    const std::vector<ItemRef>& rows = chooser->list_->allItems();
    for (ThumbnailLoader::Thumbnail& done : chooser->loader_->take())
        if (done.row < rows.size())
            static_cast<PictureItem*>(rows[done.row].get())
                ->setThumbnail(Image::FromArgb(std::move(done.image), u"thumbnail", true));
    chooser->list_->invalidate(chooser->list_->rect());
}

PictureChooserPanel::PictureChooserPanel(platform::WindowHandle window, Chosen chosen)
    : SimpleDialog(window, u"picturechooser"), chosen_(std::move(chosen)),
      folder_(platform::shell::picturesFolder()) {
    list_ = addChild(std::make_unique<SmartListControl>(window, u"pictures", u"folderlist"));
    list_->setClickAction(std::make_unique<PickAction>(this));
    addChild(std::make_unique<Button>(window, u"cancel"))
        ->setAction(std::make_unique<SDCancelAction>(this));
    addChild(std::make_unique<Label>(window, u"buttons.bg"));
    // One chooser is open at a time: it is modal over the detail screen.
    openChooser = this;
}

PictureChooserPanel::~PictureChooserPanel() {
    if (openChooser == this)
        openChooser = nullptr;
}

void PictureChooserPanel::layout(const Rect& reference) {
    SimpleDialog::layout(reference);
    if (!filled_)
        fill();
}

void PictureChooserPanel::fill() {
    filled_ = true;
    const SettingStore& store = SettingStore::instance();
    const std::u16string extensions = store.text(u"folderlist", u"pictures", u"file.extensions");
    const int minimum = std::max(list_->getInt(u"file.minimumsize", LightControl::noCache), 0);
    files_ = listPictures(folder_, extensions, static_cast<uintmax_t>(minimum),
                          ContactStoreAccess::maxPictureBytes);
    for (size_t row = 0; row < files_.size(); ++row) {
        std::error_code error;
        uintmax_t bytes = fs::file_size(files_[row], error);
        std::u16string name = platform::toUtf16(files_[row].lexically_relative(folder_).string());
        list_->appendItem(makeItem<PictureItem>(std::move(name), error ? 0 : bytes, row));
    }
    const int rowHeight = list_->getInt(u"item.height", LightControl::noCache);
    const Rect row{0, 0, list_->rect().width(), rowHeight};
    const Rect thumbnail = list_->getBox(u"item.thumbnail.box", LightControl::noCache).rectangle(row);
    if (!files_.empty() && !thumbnail.isEmpty())
        loader_ = std::make_unique<ThumbnailLoader>(window(), thumbnailMessage, files_,
                                                    platform::Size{thumbnail.width(), thumbnail.height()});
}

void PictureChooserPanel::choose(size_t row) {
    if (row >= files_.size())
        return;
    const fs::path file = files_[row];
    Chosen chosen = std::move(chosen_);
    loader_.reset();
    close();
    if (chosen)
        chosen(file);
}

} // namespace vantrel
