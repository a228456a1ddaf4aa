// tests/winlib/cmdtarget_test.cpp
//
// What command targets share: the reference count whose last release
// deletes the object, runtime classes with creation by name, and the
// current-message record a router saves and puts back.
#include <gtest/gtest.h>

#include "winlib/winlib.h"

namespace {

int g_shapesAlive = 0;

class CShape : public CCmdTarget {
    DECLARE_DYNAMIC(CShape)

  public:
    CShape() { ++g_shapesAlive; }
    ~CShape() override { --g_shapesAlive; }
};
IMPLEMENT_DYNAMIC(CShape, CCmdTarget)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CRing : public CCircle {
    DECLARE_DYNCREATE(CRing)
};
IMPLEMENT_DYNCREATE(CRing, CCircle)

TEST(CmdTarget, TheLastReleaseDeletesAndClassesAreMadeByName) {
    CCmdTarget* made = CRuntimeClass::CreateObject("CRing");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(g_shapesAlive, 1);
    EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(CRing));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CRing)));
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "CRing");

    // Two owners: the object lives until both let go.
    EXPECT_EQ(made->InternalAddRef(), 2);
    EXPECT_EQ(made->InternalRelease(), 1);
    EXPECT_EQ(g_shapesAlive, 1);
    EXPECT_EQ(made->InternalRelease(), 0);
    EXPECT_EQ(g_shapesAlive, 0);

    // A class without creation, and names nobody has.
    EXPECT_EQ(CRuntimeClass::FromName("CShape"), RUNTIME_CLASS(CShape));
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CSquare"), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("CSquare"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CWnd"), RUNTIME_CLASS(CWnd));
    EXPECT_EQ(g_shapesAlive, 0);
}

// Records what the current-message record says while its messages run.
class CRecorder : public CWnd {
  public:
    MSG seen{};
    MSG seenAfterNested{};

  protected:
    LRESULT OnOuter(WPARAM, LPARAM) {
        seen = *AfxGetCurrentMessage();
        SendMessage(WM_APP + 2, 5, 6);
        seenAfterNested = *AfxGetCurrentMessage();
        return 0;
    }
    LRESULT OnInner(WPARAM, LPARAM) { return 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecorder, CWnd)
ON_MESSAGE(WM_APP + 1, &CRecorder::OnOuter)
ON_MESSAGE(WM_APP + 2, &CRecorder::OnInner)
END_MESSAGE_MAP()

TEST(CmdTarget, TheCurrentMessageRecordFollowsNestedMessages) {
    CRecorder window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "recorder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    window.SendMessage(WM_APP + 1, 3, 4);
    EXPECT_EQ(window.seen.hwnd, window.m_hWnd);
    EXPECT_EQ(window.seen.message, WM_APP + 1u);
    EXPECT_EQ(window.seen.wParam, 3u);
    EXPECT_EQ(window.seen.lParam, 4);
    // The inner message's record is gone once it returned.
    EXPECT_EQ(window.seenAfterNested.message, WM_APP + 1u);
    EXPECT_EQ(window.seenAfterNested.wParam, 3u);
    EXPECT_EQ(window.seenAfterNested.time, static_cast<DWORD>(::GetMessageTime()));
    window.DestroyWindow();
}

}  // namespace
