#include "tests/x11/XSessionTest.h"

#include "platform/x11/DeskGuard.h"
#include "platform/x11/XProtocol.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <ostream>

using namespace deskguard;

XvfbServer* CXSessionTest::s_pServer = nullptr;

void PrintTo(const tagHookMessage& m, std::ostream* os) {
    *os << "{" << m.message << ", 0x" << std::hex << m.window << std::dec << (m.kind ? ", other" : "") << "}";
}

void CXSessionTest::SetUpTestSuite() {
    s_pServer = new XvfbServer();
    if (!s_pServer->Display().empty())
        setenv("DISPLAY", s_pServer->Display().c_str(), 1);
}

void CXSessionTest::TearDownTestSuite() {
    delete s_pServer;
    s_pServer = nullptr;
    unsetenv("DISPLAY");
}

void CXSessionTest::SetUp() {
    ASSERT_FALSE(s_pServer->Display().empty()) << "Xvfb did not start";
    m_pShell = CXConnection::Open();
    m_pClient = CXConnection::Open();
    ASSERT_TRUE(m_pShell && m_pClient);
    m_shellWindow = CreateShellWindow();
}

xcb_window_t CXSessionTest::CreateShellWindow() {
    const xcb_window_t window = xcb_generate_id(m_pShell->Get());
    xcb_create_window(m_pShell->Get(), XCB_COPY_FROM_PARENT, window, m_pShell->Root(), 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    m_pShell->Sync();
    return window;
}

void CXSessionTest::TearDown() {
    DG_UnInit();
    m_pClient.reset();
    m_pShell.reset();
}

std::string NowhereDisplay() {
    for (int n = 4000;; ++n) {
        const std::string number = std::to_string(n);
        if (access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) != 0 &&
            access(("/tmp/.X" + number + "-lock").c_str(), F_OK) != 0)
            return ":" + number;
    }
}

xcb_generic_event_t* NextEvent(const CXConnection& x, uint8_t type) {
    xcb_connection_t* c = x.Get();
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == type)
                return event;
            std::free(event);
        }
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (xcb_connection_has_error(c) || poll(&pfd, 1, 10000) <= 0)
            return nullptr;
    }
}

std::optional<tagHookMessage> CXSessionTest::NextHookMessage() {
    while (xcb_generic_event_t* event = NextEvent(*m_pShell, XCB_CLIENT_MESSAGE)) {
        const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
        std::optional<tagHookMessage> result;
        if (message->type == m_pShell->Atom(enAtom::WarrowShellHook) && message->window == m_shellWindow)
            result =
                tagHookMessage{message->data.data32[0], message->data.data32[1], message->data.data32[2]};
        std::free(event);
        if (result)
            return result;
    }
    return std::nullopt;
}

xcb_window_t CXSessionTest::MapMarker() {
    const xcb_window_t marker = CreateWindow();
    Map(marker);
    return marker;
}

xcb_window_t CXSessionTest::CreateWindow(bool overrideRedirect, xcb_window_t parent) {
    const xcb_window_t window = xcb_generate_id(m_pClient->Get());
    const uint32_t values[] = {overrideRedirect ? 1u : 0u};
    xcb_create_window(m_pClient->Get(), XCB_COPY_FROM_PARENT, window, parent ? parent : m_pClient->Root(), 10,
                      10, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT, values);
    m_pClient->Sync();
    return window;
}

void CXSessionTest::Map(xcb_window_t window) {
    xcb_map_window(m_pClient->Get(), window);
    m_pClient->Sync();
}

void CXSessionTest::Unmap(xcb_window_t window) {
    xcb_unmap_window(m_pClient->Get(), window);
    m_pClient->Sync();
}

void CXSessionTest::Destroy(xcb_window_t window) {
    xcb_destroy_window(m_pClient->Get(), window);
    m_pClient->Sync();
}

TestWindowProcess CXSessionTest::StartHelper(const std::vector<std::string>& arguments) {
    return TestWindowProcess(WARROW_TEST_WINDOW, arguments);
}

CFakeWindowManager::CFakeWindowManager(bool redirect, const std::vector<xcb_window_t>& clients)
    : m_pX(CXConnection::Open()) {
    if (!m_pX)
        return;
    xcb_connection_t* c = m_pX->Get();
    if (redirect) {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_change_window_attributes(c, m_pX->Root(), XCB_CW_EVENT_MASK, &mask);
    }
    m_check = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_check, m_pX->Root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t check = m_pX->Atom(enAtom::NetSupportingWmCheck);
    WriteWords(*m_pX, m_check, check, XCB_ATOM_WINDOW, {m_check});
    SetClients(clients);
    WriteWords(*m_pX, m_pX->Root(), check, XCB_ATOM_WINDOW, {m_check});
}

CFakeWindowManager::~CFakeWindowManager() {
    if (!m_pX)
        return;
    xcb_delete_property(m_pX->Get(), m_pX->Root(), m_pX->Atom(enAtom::NetSupportingWmCheck));
    xcb_delete_property(m_pX->Get(), m_pX->Root(), m_pX->Atom(enAtom::NetClientList));
    m_pX->Sync();
}

void CFakeWindowManager::SetClients(const std::vector<xcb_window_t>& clients) {
    WriteWords(*m_pX, m_pX->Root(), m_pX->Atom(enAtom::NetClientList), XCB_ATOM_WINDOW,
               std::vector<uint32_t>(clients.begin(), clients.end()));
}

void CFakeWindowManager::Quit() {
    xcb_destroy_window(m_pX->Get(), m_check);
    m_pX->Sync();
}

std::optional<xcb_client_message_event_t> CFakeWindowManager::NextRequest() {
    xcb_generic_event_t* event = NextEvent(*m_pX, XCB_CLIENT_MESSAGE);
    if (!event)
        return std::nullopt;
    const auto message = *reinterpret_cast<const xcb_client_message_event_t*>(event);
    std::free(event);
    return message;
}
