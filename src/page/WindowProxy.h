// The event sink between the toolbar and one HTML document the browser shows, the top page or
// a frame: a hidden window that hooks the browser window, the document and the document's
// window. Whoever creates one attaches it and lets it go; the registry keeps it alive.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/html.h"
#include "platform/ui.h"
#include "platform/wintypes.h"
#include "runtime/error.h"
#include "runtime/form.h"

class WindowProxy : public ui::Form, public std::enable_shared_from_this<WindowProxy> {
 public:
  // A new proxy with its window loaded.
  static std::shared_ptr<WindowProxy> New();

  // Attaches the proxy to the browser window of one navigation and registers it.
  void SetWindow(const browser::WebBrowser& window);
  html::Document Document();
  // Detaches the proxy, takes it out of the registry and unloads its window.
  virtual void Cleanup();
  // Takes the clip overlays off the page and unloads the hover button.
  virtual void ClearOverlays();
  // Frames element with the page's border DIVs; with bColumn a cell's frame spans its table's
  // height. Neither flag is written back; the third is part of the interface and changes
  // nothing.
  void HighlightElement(html::Element element, VARIANT_BOOL bColumn, VARIANT_BOOL unused = 0);
  // Hides the frame and forgets what it surrounded.
  void oHighlightElement_onmouseout();
  // The element a click would clip has been left: its frame goes too.
  void oCurrentElement_onmouseout();
  // Clips element with its path in the page; the frame goes and the menu closes. Failures go
  // to the caller's guard.
  void LumoraElement(const html::Element& element, VARIANT_BOOL& bColumn);
  void HideContextMenu();
  void setSelectStart(VARIANT_BOOL value) { SelectStart = value; }

  // The column flag of the last framing.
  VARIANT_BOOL bHighlightColumn = 0;
  // A text selection has been started and the next click belongs to it.
  VARIANT_BOOL SelectStart = 0;
  // The element under the mouse whose click would clip it, by kind.
  html::Element oMouseElement;
  html::Element oMouseElementImage;
  html::Element oMouseElementLabel;
  html::Element oMouseElementTableCell;

 protected:
  WindowProxy();
  std::string formName() const override { return "You Should Not See Me"; }

 private:
  // The browser window's events; a member of its own so the proxy's names stay its own.
  struct WindowEvents : browser::Events {
    explicit WindowEvents(WindowProxy& proxy) : proxy(proxy) {}
    void WindowClosing(bool isChildWindow, bool& cancel) override;
    WindowProxy& proxy;
  };

  void attach(const browser::WebBrowser& window);
  bool hookDocument(const html::Document& document);
  void failAttach(std::string_view routine, const platform::Error& error,
                  const browser::WebBrowser& window);
  void discard();
  void followReadyState();
  void DocumentComplete();
  void InsertBorderDiv();
  bool bHasBorderDiv();
  void oDocument_onreadystatechange();
  void oDocument_onmouseover();
  void oDocument_onmouseout();
  // Clicks: the document's and those of the hooked elements, which come first.
  bool document_click();
  bool oMouseElement_onclick();
  bool oMouseElementImage_onclick();
  bool oMouseElementLabel_onclick();
  bool oMouseElementTableCell_onclick();
  bool clickRoutine(std::string_view routine);
  void oCurrentElement_onclick();
  void closeContextMenu();
  bool oDocument_oncontextmenu();
  void openContextMenu();
  bool oDocument_onselectstart();
  void oDocument_onselectionchange();
  // The steps of a mouse-over: hooking the element, framing it, offering the hover button.
  bool hookMouseElement(const html::Element& src, const std::string& type);
  void frameMouseElement(const html::Element& src);
  void offerHoverButton(const html::Element& src, const std::string& type);
  void oDocumentWindow_onload();
  void oDocumentWindow_onresize();
  void oDocumentWindow_onscroll();
  void oDocumentWindow_onunload();
  void oWindow_WindowClosing(bool cancel);

  // Holding another object, or none, moves the subscriptions with it.
  void holdWindow(const browser::WebBrowser& window);
  void holdDocument(const html::Document& document);
  void holdDocumentWindow(const html::Window& window);
  // Holds element in slot and hooks its click to member.
  void holdMouseElement(html::Element& slot, const html::Element& element,
                        bool (WindowProxy::*member)());
  template <class Member>
  html::Handler handler(Member member);

  browser::WebBrowser oWindow;
  html::Document oDocument;
  html::Window oDocumentWindow;
  VARIANT_BOOL bDocumentReady = 0;
  // This page opened the context menu and has not closed it yet.
  VARIANT_BOOL bContextMenuShown = 0;

  WindowEvents windowEvents_{*this};
  platform::Connection windowConnection_;
  std::vector<platform::Connection> documentConnections_;
  std::vector<platform::Connection> windowConnections_;
  // The clicks of oMouseElement, oMouseElementImage, oMouseElementLabel, oMouseElementTableCell.
  std::array<platform::Connection, 4> mouseElementClicks_;
};
