// What a frame needs to create its views: the view class and the document.
#pragma once

class CDocTemplate;
class CDocument;
class CFrameWnd;
class CRuntimeClass;
class CView;

struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};
