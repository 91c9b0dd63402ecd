#include "engine/OpmlFile.h"

#include <unordered_set>

#include "common/OpmlWriter.h"
#include "engine/EngineText.h"

namespace {

const wchar_t kImportedFolder[] = L"导入的目录";
// Folders nest as deep as a file likes; deeper ones are flattened into this
// level.
const size_t kMaxFolderDepth = 32;

void WriteNode(const FeedTreeModel& model, const FeedNode& node, OpmlWriter& writer) {
    if (!node.folder) {
        // Without an address there is nothing another reader could fetch.
        if (!node.address.empty()) writer.AddFeed(node.text, node.address, std::wstring());
        return;
    }
    writer.OpenFolder(node.text);
    for (const FeedNode& child : model.Nodes()) {
        if (child.parent == node.id) WriteNode(model, child, writer);
    }
    writer.CloseFolder();
}

std::wstring AddressKey(const std::wstring& address) {
    std::wstring key = address;
    if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

// Builds the tree from the flat outlines: each outline's parent is the
// folder opened last at a smaller depth.
class OutlineImport {
public:
    OutlineImport(FeedTreeModel& model, DWORD folder) : model_(model), top_(folder) {
        for (const FeedNode& node : model.Nodes()) {
            if (!node.folder) subscribed_.insert(AddressKey(node.address));
        }
    }

    void Add(const OpmlOutline& outline, bool hasChildren) {
        CloseFoldersFrom(outline.depth);
        FeedNode node;
        node.id = model_.NextId();
        node.parent = open_.empty() ? top_ : open_.back().id;
        std::wstring address = TrimAddress(outline.xmlUrl);
        if (!address.empty()) {
            if (!subscribed_.insert(AddressKey(address)).second) return;
            node.address = address;
            node.text = outline.title.empty() ? address : outline.title;
            node.titled = !outline.title.empty();
            node.page = model_.NewPageName(node.id);
            model_.Add(node);
            added_.push_back(node.id);
        } else if (hasChildren && open_.size() < kMaxFolderDepth) {
            node.folder = true;
            node.text = outline.title.empty() ? kImportedFolder : outline.title;
            node.titled = true;
            model_.Add(node);
            open_.push_back({node.id, outline.depth, added_.size()});
            added_.push_back(node.id);
        }
    }

    std::vector<DWORD> Finish() {
        CloseFoldersFrom(0);
        return added_;
    }

private:
    struct OpenFolder {
        DWORD id;
        int depth;
        size_t firstAdded;  // its own place in added_
    };

    // Folders at depth or deeper are complete; one that received nothing goes.
    void CloseFoldersFrom(int depth) {
        while (!open_.empty() && open_.back().depth >= depth) {
            if (added_.size() == open_.back().firstAdded + 1) {
                model_.Remove(open_.back().id);
                added_.pop_back();
            }
            open_.pop_back();
        }
    }

    FeedTreeModel& model_;
    DWORD top_;
    std::unordered_set<std::wstring> subscribed_;
    std::vector<OpenFolder> open_;
    std::vector<DWORD> added_;
};

}  // namespace

std::string FormatOpml(const FeedTreeModel& model, DWORD root) {
    OpmlWriter writer(L"我的订阅");
    const FeedNode* top = model.Find(root);
    if (top && top->folder) {
        WriteNode(model, *top, writer);
    } else {
        for (const FeedNode& node : model.Nodes()) {
            if (node.parent == 0 || !model.Find(node.parent)) WriteNode(model, node, writer);
        }
    }
    return writer.Finish();
}

bool ReadOpml(const std::wstring& path, std::vector<OpmlOutline>& outlines) {
    OpmlReader reader;
    if (reader.ReadFile(path.c_str()) != OpmlVerdict::kRead) {
        outlines.clear();
        return false;
    }
    outlines = reader.Outlines();
    return true;
}

std::vector<DWORD> ImportOutlines(FeedTreeModel& model, DWORD folder,
                                  const std::vector<OpmlOutline>& outlines) {
    const FeedNode* target = model.Find(folder);
    OutlineImport import(model, target && target->folder ? folder : 0);
    for (size_t i = 0; i < outlines.size(); ++i) {
        bool hasChildren = i + 1 < outlines.size() && outlines[i + 1].depth > outlines[i].depth;
        import.Add(outlines[i], hasChildren);
    }
    return import.Finish();
}
