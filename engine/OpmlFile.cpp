#include "engine/OpmlFile.h"

#include <msxml.h>

#include "engine/ChannelFiles.h"
#include "engine/EngineText.h"
#include "feeds/FeedEncoding.h"
#include "server/ComPtr.h"

namespace {

const IID kIidXmlDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
const wchar_t kImportedFolder[] = L"导入的目录";

// ---- writing

std::string Indent(int depth) {
    return std::string(2 * depth + 2, ' ');
}

void WriteNode(const FeedTreeModel& model, const FeedNode& node, int depth, std::string& out) {
    std::string title = XmlEscape(node.text);
    if (!node.folder) {
        if (node.address.empty()) return;  // nothing another reader could fetch
        out += Indent(depth) + "<outline type=\"rss\" text=\"" + title + "\" title=\"" + title +
               "\" xmlUrl=\"" + XmlEscape(node.address) + "\"/>\n";
        return;
    }
    out += Indent(depth) + "<outline text=\"" + title + "\" title=\"" + title + "\">\n";
    for (const FeedNode& child : model.Nodes()) {
        if (child.parent == node.id) WriteNode(model, child, depth + 1, out);
    }
    out += Indent(depth) + "</outline>\n";
}

std::string Rfc822Now() {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[64];
    wsprintfA(text, "%s, %02u %s %04u %02u:%02u:%02u GMT", days[now.wDayOfWeek % 7], now.wDay,
              months[(now.wMonth + 11) % 12], now.wYear, now.wHour, now.wMinute, now.wSecond);
    return text;
}

// ---- reading

std::wstring Attribute(IXMLDOMNode* node, const wchar_t* name) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(node->get_attributes(attributes.Receive())) || !attributes) return std::wstring();
    BSTR bstrName = SysAllocString(name);
    ComPtr<IXMLDOMNode> attribute;
    HRESULT found = attributes->getNamedItem(bstrName, attribute.Receive());
    SysFreeString(bstrName);
    if (found != S_OK || !attribute) return std::wstring();
    BSTR text = nullptr;
    std::wstring value;
    if (SUCCEEDED(attribute->get_text(&text)) && text) value = text;
    SysFreeString(text);
    return value;
}

std::wstring NodeName(IXMLDOMNode* node) {
    BSTR name = nullptr;
    std::wstring value;
    if (SUCCEEDED(node->get_nodeName(&name)) && name) value = name;
    SysFreeString(name);
    return value;
}

// The element children of node named `name`, in document order.
std::vector<ComPtr<IXMLDOMNode>> Children(IXMLDOMNode* node, const wchar_t* name) {
    std::vector<ComPtr<IXMLDOMNode>> result;
    ComPtr<IXMLDOMNodeList> list;
    if (FAILED(node->get_childNodes(list.Receive())) || !list) return result;
    long count = 0;
    list->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        if (list->get_item(i, child.Receive()) == S_OK && child && NodeName(child.Get()) == name) {
            result.push_back(child);
        }
    }
    return result;
}

// Outlines nest as deep as a file likes; folders deeper than this are flattened.
const int kMaxDepth = 32;

void ReadOutlines(IXMLDOMNode* parent, int depth, std::vector<OpmlOutline>& out) {
    for (const ComPtr<IXMLDOMNode>& node : Children(parent, L"outline")) {
        OpmlOutline outline;
        outline.address = TrimAddress(Attribute(node.Get(), L"xmlUrl"));
        if (outline.address.empty())
            outline.address = TrimAddress(Attribute(node.Get(), L"xmlurl"));
        outline.title = Attribute(node.Get(), L"title");
        if (outline.title.empty()) outline.title = Attribute(node.Get(), L"text");
        if (depth < kMaxDepth) {
            ReadOutlines(node.Get(), depth + 1, outline.children);
            out.push_back(outline);
        } else {
            out.push_back(outline);
            ReadOutlines(node.Get(), depth, out);
        }
    }
}

// The file's text as UTF-16, whatever its declared encoding, without the
// declaration, which no longer applies to it.
bool ReadOpmlText(const std::wstring& path, std::wstring& text) {
    std::string bytes;
    if (!ReadWholeFile(path.c_str(), bytes)) return false;
    UINT codePage = FeedSourceCodePage(bytes);
    if (codePage && !ConvertFeedTextToUtf8(bytes, codePage)) return false;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (bytes.compare(0, 5, "<?xml") == 0) {
        size_t end = bytes.find("?>");
        if (end == std::string::npos) return false;
        bytes.erase(0, end + 2);
    }
    text = FromUtf8(bytes.c_str());
    return !text.empty();
}

bool LoadDocument(const std::wstring& path, ComPtr<IXMLDOMDocument>& document) {
    std::wstring text;
    if (!ReadOpmlText(path, text)) return false;
    CLSID documentClass;
    if (FAILED(CLSIDFromProgID(L"MSXML.DOMDocument", &documentClass)) ||
        FAILED(CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument,
                                reinterpret_cast<void**>(document.Receive())))) {
        return false;
    }
    // A subscription list must not make the engine fetch anything.
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    BSTR source = SysAllocString(text.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT result = document->loadXML(source, &loaded);
    SysFreeString(source);
    return SUCCEEDED(result) && loaded == VARIANT_TRUE;
}

bool Subscribed(const FeedTreeModel& model, const std::wstring& address) {
    for (const FeedNode& node : model.Nodes()) {
        if (!node.folder && lstrcmpiW(node.address.c_str(), address.c_str()) == 0) return true;
    }
    return false;
}

void Import(FeedTreeModel& model, DWORD folder, const std::vector<OpmlOutline>& outlines,
            std::vector<DWORD>& added) {
    for (const OpmlOutline& outline : outlines) {
        FeedNode node;
        node.id = model.NextId();
        node.parent = folder;
        if (!outline.address.empty()) {
            if (Subscribed(model, outline.address)) continue;
            node.address = outline.address;
            node.text = outline.title.empty() ? outline.address : outline.title;
            node.titled = !outline.title.empty();
            node.page = model.NewPageName(node.id);
            model.Add(node);
            added.push_back(node.id);
        } else if (!outline.children.empty()) {
            node.folder = true;
            node.text = outline.title.empty() ? kImportedFolder : outline.title;
            node.titled = true;
            model.Add(node);
            size_t before = added.size();
            added.push_back(node.id);
            Import(model, node.id, outline.children, added);
            if (added.size() == before + 1) {
                model.Remove(node.id);
                added.pop_back();
            }
        }
    }
}

}  // namespace

std::string FormatOpml(const FeedTreeModel& model, DWORD root) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n<head>\n"
        "  <title>" +
        XmlEscape(L"我的订阅") + "</title>\n  <dateCreated>" + Rfc822Now() +
        "</dateCreated>\n</head>\n<body>\n";
    const FeedNode* top = model.Find(root);
    if (top && top->folder) {
        WriteNode(model, *top, 0, out);
    } else {
        for (const FeedNode& node : model.Nodes()) {
            if (node.parent == 0 || !model.Find(node.parent)) WriteNode(model, node, 0, out);
        }
    }
    return out + "</body>\n</opml>\n";
}

bool ReadOpml(const std::wstring& path, std::vector<OpmlOutline>& outlines) {
    outlines.clear();
    ComPtr<IXMLDOMDocument> document;
    if (!LoadDocument(path, document)) return false;
    ComPtr<IXMLDOMElement> root;
    if (document->get_documentElement(root.Receive()) != S_OK || !root ||
        NodeName(root.Get()) != L"opml") {
        return false;
    }
    for (const ComPtr<IXMLDOMNode>& body : Children(root.Get(), L"body")) {
        ReadOutlines(body.Get(), 0, outlines);
    }
    return true;
}

std::vector<DWORD> ImportOutlines(FeedTreeModel& model, DWORD folder,
                                  const std::vector<OpmlOutline>& outlines) {
    std::vector<DWORD> added;
    const FeedNode* target = model.Find(folder);
    Import(model, target && target->folder ? folder : 0, outlines, added);
    return added;
}
