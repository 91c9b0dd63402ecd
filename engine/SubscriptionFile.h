#pragma once
// The user's folders and channels on disk: "subscriptions.txt" in the
// engine's data folder, UTF-8 lines of tab-separated fields
//   RssFeed subscriptions 1
//   <id> <parent> F|C <expanded> <titled> <title> <page> <address>
//   end <node count>
// with backslash, tab and line breaks escaped. The closing count tells a
// whole file from a cut one. Saving replaces the file crash-safely.
#include <string>

#include "engine/FeedTreeModel.h"

class SubscriptionFile {
public:
    explicit SubscriptionFile(std::wstring folder);

    // Fills model from the file, or from a complete "<file>.new" that a
    // crash left before it was moved into place. A broken file is kept
    // aside as "<file>.broken" and the model stays empty. False when no
    // readable file was found.
    bool Load(FeedTreeModel& model) const;
    bool Save(const FeedTreeModel& model) const;

    const std::wstring& Path() const { return path_; }

    // The text of a file holding the model; the model a text holds (false
    // when the text is not a whole file of this format).
    static std::string Format(const FeedTreeModel& model);
    static bool Parse(const std::string& text, FeedTreeModel& model);

private:
    bool LoadFrom(const std::wstring& path, FeedTreeModel& model) const;

    std::wstring path_;
};
