// app/map/browser_map_view_win32.cpp
//
// CBrowserMapView: the system's WebBrowser control in a child window of ours,
// activated in place through a small OLE container:
//
//   BrowserSite   the control's client site, in-place site and frame, and
//                 document host (IDocHostUIHandler: the host's external
//                 object is offered because CanAccessExternal says so).
//   Dispatch      a script-callable object: the sink of the control's
//                 DWebBrowserEvents2, where document completion binds the
//                 click of the page element "LoadHtmlFinish" to the view; that
//                 click's handler; the external object (no members).
//
// The site and the objects reach the view only until it closes, so a call the
// control makes late reaches nothing.
#include <windows.h>

#include <ole2.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>

#include <functional>
#include <utility>

#include "app/map/map_view_win32.h"

// COM objects are destroyed by their own Release, never through an interface
// pointer, so the interfaces need no virtual destructor.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace track {

namespace {

// Releases a COM pointer when it goes.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the calls that hand out a pointer.
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset() {
        if (p_ != nullptr)
            p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

// A BSTR that frees itself.
class Bstr {
  public:
    explicit Bstr(const wchar_t* text) : b_(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

  private:
    BSTR b_;
};

// Drops a reference of a COM object of ours; the last one deletes it.
template <class T>
ULONG Released(T* object, ULONG& refs) {
    const ULONG left = --refs;
    if (left == 0)
        delete object;
    return left;
}

// A script-callable object: `call` gets the member invoked (an element's event
// handler, and a script's call of the object itself, are DISPID_VALUE; an
// event interface's events have their own ids). It has no named members, and
// answers to IDispatch and to `events` when given: the event interface it
// sinks.
class Dispatch final : public IDispatch {
  public:
    explicit Dispatch(std::function<void(DISPID)> call, const IID* events = nullptr)
        : call_(std::move(call)), events_(events) {}
    virtual ~Dispatch() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || (events_ != nullptr && iid == *events_)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return Released(this, refs_); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE
    Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (result != nullptr)
            ::VariantInit(result);
        if (call_)
            call_(member);
        return S_OK;
    }

    // Lets go of what the call reaches, and of the creator's reference.
    void Disconnect() {
        call_ = nullptr;
        Release();
    }

  private:
    ULONG refs_ = 1;
    std::function<void(DISPID)> call_;
    const IID* events_;
};

}  // namespace

class CBrowserMapView;

// The control's container side. Reference counted; the view holds one
// reference and clears `view_` when it closes.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDocHostUIHandler {
  public:
    explicit BrowserSite(CBrowserMapView* view) : view_(view) {}
    virtual ~BrowserSite() = default;
    void Detach() { view_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return Released(this, refs_); }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out != nullptr)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
        if (out != nullptr)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of the in-place site and of the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document,
                                               LPRECT position,
                                               LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

    // IOleInPlaceUIWindow, IOleInPlaceFrame: no tool space, menus or accelerators.
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD,
                                     IOleInPlaceActiveObject*,
                                     IOleCommandTarget*,
                                     IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key != nullptr)
            *key = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** out) override {
        if (out != nullptr)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        if (out != nullptr)
            *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out != nullptr)
            *out = nullptr;
        return S_FALSE;
    }

  private:
    ULONG refs_ = 1;
    CBrowserMapView* view_;
};

class CBrowserMapView final : public CWnd, public MapView {
  public:
    CBrowserMapView() = default;
    ~CBrowserMapView() override { Close(); }

    bool CreateView(HWND parent, UINT id, const RECT& rect, MapViewEvents* events) override;
    HWND ViewWindow() const override { return m_hWnd; }
    void Navigate(const std::wstring& url) override;
    bool RunScript(const std::wstring& statement) override;

    // The page may call the host's external object.
    bool CanAccessExternal() const { return true; }
    IDispatch* External() const { return m_external; }
    // The control's document finished loading: bind its load element.
    void OnDocumentComplete();
    void FitControl();

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    void Close();
    void PageLoaded() {
        if (m_events != nullptr)
            m_events->OnPageLoaded();
    }

    MapViewEvents* m_events = nullptr;
    BrowserSite* m_site = nullptr;
    Dispatch* m_loadHandler = nullptr;  // the click of the page's "LoadHtmlFinish"
    Dispatch* m_external = nullptr;     // the host's external object
    Dispatch* m_sink = nullptr;         // the control's DWebBrowserEvents2
    ComPtr<IOleObject> m_object;
    ComPtr<IWebBrowser2> m_browser;
    ComPtr<IConnectionPoint> m_events2;
    DWORD m_cookie = 0;
    bool m_oleStarted = false;
};

// ---- the site -------------------------------------------------------------------------------

HRESULT BrowserSite::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == IID_IDocHostUIHandler)
        *out = static_cast<IDocHostUIHandler*>(this);
    if (*out == nullptr)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT BrowserSite::GetWindow(HWND* window) {
    if (window == nullptr)
        return E_POINTER;
    *window = view_ != nullptr ? view_->m_hWnd : nullptr;
    return *window != nullptr ? S_OK : E_FAIL;
}

HRESULT BrowserSite::GetWindowContext(IOleInPlaceFrame** frame,
                                      IOleInPlaceUIWindow** document,
                                      LPRECT position,
                                      LPRECT clip,
                                      LPOLEINPLACEFRAMEINFO info) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || info == nullptr)
        return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    RECT client = {};
    if (view_ != nullptr && view_->m_hWnd != nullptr)
        ::GetClientRect(view_->m_hWnd, &client);
    *position = client;
    *clip = client;
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = view_ != nullptr ? ::GetAncestor(view_->m_hWnd, GA_ROOT) : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT BrowserSite::OnPosRectChange(LPCRECT) {
    if (view_ != nullptr)
        view_->FitControl();
    return S_OK;
}

HRESULT BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (info == nullptr)
        return E_POINTER;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

HRESULT BrowserSite::GetExternal(IDispatch** external) {
    if (external == nullptr)
        return E_POINTER;
    *external = nullptr;
    if (view_ == nullptr || !view_->CanAccessExternal() || view_->External() == nullptr)
        return S_FALSE;
    *external = view_->External();
    (*external)->AddRef();
    return S_OK;
}

// ---- the view -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CBrowserMapView, CWnd)
ON_WM_SIZE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

bool CBrowserMapView::CreateView(HWND parent, UINT id, const RECT& rect, MapViewEvents* events) {
    m_events = events;
    const HRESULT ole = ::OleInitialize(nullptr);
    m_oleStarted = SUCCEEDED(ole);
    if (!m_oleStarted)
        return false;
    if (!CreateViewWindow(*this, parent, id, rect, WS_CLIPCHILDREN)) {
        Close();
        return false;
    }
    m_site = new BrowserSite(this);
    m_loadHandler = new Dispatch([this](DISPID member) {
        if (member == DISPID_VALUE)
            PageLoaded();
    });
    m_external = new Dispatch(nullptr);
    m_sink = new Dispatch(
        [this](DISPID member) {
            if (member == DISPID_DOCUMENTCOMPLETE)
                OnDocumentComplete();
        },
        &DIID_DWebBrowserEvents2);

    bool made = SUCCEEDED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                             m_object.OutVoid()));
    made = made && SUCCEEDED(m_object->SetClientSite(static_cast<IOleClientSite*>(m_site)));
    if (made) {
        ::OleSetContainedObject(m_object.get(), TRUE);
        RECT client = {};
        ::GetClientRect(m_hWnd, &client);
        made = SUCCEEDED(m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                          static_cast<IOleClientSite*>(m_site), 0, m_hWnd, &client));
    }
    made = made && SUCCEEDED(m_object->QueryInterface(IID_IWebBrowser2, m_browser.OutVoid()));
    if (made) {
        ComPtr<IConnectionPointContainer> points;
        made = SUCCEEDED(m_browser->QueryInterface(IID_IConnectionPointContainer, points.OutVoid())) &&
               SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, m_events2.Out())) &&
               SUCCEEDED(m_events2->Advise(m_sink, &m_cookie));
    }
    if (!made) {
        DestroyWindow();  // closes the control
        return false;
    }
    return true;
}

void CBrowserMapView::Close() {
    if (m_events2 && m_cookie != 0)
        m_events2->Unadvise(m_cookie);
    m_cookie = 0;
    m_events2.Reset();
    m_browser.Reset();
    if (m_object) {
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
    }
    m_object.Reset();
    for (Dispatch** object : {&m_loadHandler, &m_external, &m_sink}) {
        if (*object != nullptr)
            (*object)->Disconnect();
        *object = nullptr;
    }
    if (m_site != nullptr) {
        m_site->Detach();
        m_site->Release();
        m_site = nullptr;
    }
    if (m_oleStarted)
        ::OleUninitialize();
    m_oleStarted = false;
}

void CBrowserMapView::OnDestroy() {
    Close();
    Default();
}

void CBrowserMapView::OnSize(UINT, int, int) {
    FitControl();
    Default();
}

void CBrowserMapView::FitControl() {
    if (!m_object || m_hWnd == nullptr)
        return;
    ComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.OutVoid())))
        return;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    inPlace->SetObjectRects(&client, &client);
}

void CBrowserMapView::Navigate(const std::wstring& url) {
    if (!m_browser)
        return;
    const Bstr address(url.c_str());
    VARIANT none;
    ::VariantInit(&none);
    m_browser->Navigate(address.get(), &none, &none, &none, &none);
}

void CBrowserMapView::OnDocumentComplete() {
    if (!m_browser || m_loadHandler == nullptr)
        return;
    ComPtr<IDispatch> document;
    if (FAILED(m_browser->get_Document(document.Out())) || !document)
        return;
    ComPtr<IHTMLDocument3> html;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument3, html.OutVoid())))
        return;
    const Bstr name(L"LoadHtmlFinish");
    ComPtr<IHTMLElement> element;
    if (FAILED(html->getElementById(name.get(), element.Out())) || !element)
        return;
    VARIANT handler;
    ::VariantInit(&handler);
    handler.vt = VT_DISPATCH;
    handler.pdispVal = m_loadHandler;  // the element takes its own reference
    element->put_onclick(handler);
}

bool CBrowserMapView::RunScript(const std::wstring& statement) {
    if (!m_browser)
        return false;
    ComPtr<IDispatch> document;
    if (FAILED(m_browser->get_Document(document.Out())) || !document)
        return false;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument2, html.OutVoid())))
        return false;
    ComPtr<IHTMLWindow2> window;
    if (FAILED(html->get_parentWindow(window.Out())) || !window)
        return false;
    const Bstr code(statement.c_str());
    const Bstr language(L"javascript");
    VARIANT result;
    ::VariantInit(&result);
    window->execScript(code.get(), language.get(), &result);
    ::VariantClear(&result);
    return true;
}

std::unique_ptr<MapView> MakeMapView(MapViewKind kind) {
    if (kind == MapViewKind::Browser)
        return std::make_unique<CBrowserMapView>();
    return std::make_unique<CStatementMapView>();
}

}  // namespace track
