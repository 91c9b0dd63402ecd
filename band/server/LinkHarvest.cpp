#include "server/LinkHarvest.h"

#include <shlwapi.h>
#include <string>

#include "common/Bstr.h"
#include "server/PageName.h"
#include "server/ThreadCodePage.h"

const CLSID kClsidUrlHistory = {
    0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};
const IID kIidUrlHistoryStg = {
    0x3c374a41, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};
const IID kIidXmlDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

const wchar_t LinkHarvest::kLinkPath[] = L"//div[@id='item']/div[@id='title']/a/@href";

LinkHarvest::LinkHarvest() {
    CoCreateInstance(kClsidUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                     kIidUrlHistoryStg, reinterpret_cast<void**>(history_.Receive()));
    CLSID documentClass;
    if (SUCCEEDED(CLSIDFromProgID(L"MSXML.DOMDocument", &documentClass))) {
        CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument,
                         reinterpret_cast<void**>(document_.Receive()));
    }
}

std::string LinkHarvest::ItemListPath(const wchar_t* pageName) {
    if (!IsPlainPageName(pageName)) return std::string();
    char path[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string name = ToThreadAnsi(pageName);
    if (name.empty() || !PathAppendA(path, name.c_str())) return std::string();
    return path;
}

void LinkHarvest::Harvest(const wchar_t* pageName) {
    if (!document_) return;
    std::string path = ItemListPath(pageName);
    if (path.empty()) return;
    Bstr file(FromThreadAnsi(path).c_str());
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = file.Get();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document_->load(source, &loaded)) || loaded != VARIANT_TRUE) return;

    Bstr query(kLinkPath);
    ComRef<IXMLDOMNodeList> links;
    if (FAILED(document_->selectNodes(query.Get(), links.Receive())) || !links) return;
    long count = 0;
    if (FAILED(links->get_length(&count))) return;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> node;
        if (SUCCEEDED(links->get_item(i, node.Receive())) && node) Record(node.Get());
    }
}

void LinkHarvest::Record(IXMLDOMNode* node) {
    Bstr link;
    if (FAILED(node->get_text(link.Receive()))) return;
    if (history_ && link.Get() && SysStringLen(link.Get()) > 0) {
        history_->AddUrl(link.Get(), nullptr, 0);
    }
}
