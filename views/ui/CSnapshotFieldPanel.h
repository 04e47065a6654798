// The Snapshot Window's panel: quote fields of one symbol in a row or a column, label
// boxes and value boxes that turn the up or down colour as the values tick. Quote updates
// arrive on the session thread; the panel only queues the changed field ids there and
// repaints them on its window's thread.
#pragma once

#include "broker/session/CQuoteListener.h"
#include "views/PendingFieldIds.h"
#include "views/SnapshotFields.h"
#include "views/ui/CFloatingWnd.h"

#include <memory>

class CSymbolHandle;

class CSnapshotFieldPanel : public CFloatingWnd {
public:
    explicit CSnapshotFieldPanel(const CRect& rect = CRect(0, 0, 60, 16));
    ~CSnapshotFieldPanel() override;

    BOOL CreateWnd(const char* title, CWnd* owner = nullptr) override;
    // The field set (abbreviated, vertical, count, ids), then the position.
    void Save(CArchive& ar) const override;
    void Load(CArchive& ar, DWORD version) override;
    void LayOut() override;
    void Paint(CDC& dc) override;
    void OnContextMenu(CPoint screenPoint) override;
    bool OnCommand(UINT id) override;
    LRESULT OnPanelMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Binds the panel to the symbol's quotes (nothing for the same symbol).
    void SetSymbol(const CString& symbol);
    const CString& GetSymbol() const { return m_symbol; }

    // Adds quote field n at the end; a field shown already is told and not added.
    void InsertField(int fieldId);
    // Deletes the field under the point of the last context menu.
    void DeleteField();
    void ToggleVertical();
    void ToggleAbbreviated();
    void ResetDefaults();
    // Reads the fields whose ids were queued and repaints them.
    LRESULT OnQuoteUpdate();

    const CSnapshotFieldSet& Fields() const { return m_set; }
    int GetRowHeight() const { return m_nRowHeight; }
    void SetClickPoint(CPoint clientPoint) { m_clickPoint = clientPoint; }

protected:
    const char* ClassName() const override { return "CSnapshotFieldPanel"; }

private:
    class CListener : public CQuoteListener {
    public:
        explicit CListener(CPendingFieldIds& pending) : m_pending(pending) {}
        void OnQuoteChange(CSymbolHandle*, int count, const BYTE* ids) override { m_pending.Add(count, ids); }

    private:
        CPendingFieldIds& m_pending;
    };

    void DropBinding();
    void ReadField(CSnapshotField& field) const;
    void ReadAllFields();
    int MeasureWidth(const CString& text) const { return TextWidth(text); }

    CSnapshotFieldSet m_set = CSnapshotFieldSet::Defaults();
    CString m_symbol;
    CSymbolHandle* m_pHandle = nullptr;
    std::unique_ptr<CListener> m_pListener;
    int m_nRowHeight = 0;
    CPoint m_clickPoint;
    CPendingFieldIds m_pending;
};
