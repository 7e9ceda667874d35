#include "app/ReadTagWebView.h"

#include "app/PublishGroup.h"
#include "base/SettingsStore.h"
#include "http/WebView.h"

ReadTagWebView::ReadTagWebView(ReadingPipeline &pipeline, PublishGroup *group, SettingsStore *settings,
                               QObject *parent)
    : QObject(parent), m_pipeline(pipeline), m_group(group), m_settings(settings)
{
    connect(group, &PublishGroup::webViewChanged, this, &ReadTagWebView::apply);
    connect(group, &PublishGroup::webViewEdited, this, [this] {
        if (m_settings)
            m_settings->writeWebView(m_group->webViewOn(), m_group->webViewPort());
    });
}

ReadTagWebView::~ReadTagWebView() = default;

void ReadTagWebView::apply()
{
    if (!m_group->webViewOn()) {
        m_view.reset();
        m_group->showWebViewState({}, {});
        return;
    }
    if (m_view && m_view->serverPort() == m_group->webViewPort())
        return;
    m_view.reset(); // the old port is let go before the new one is taken
    WebViewSettings settings;
    settings.port = m_group->webViewPort();
    auto view = std::make_unique<WebView>(m_pipeline, settings);
    QString error;
    if (!view->start(&error)) {
        m_group->showWebViewState({}, view->systemError());
        return;
    }
    m_view = std::move(view);
    m_group->showWebViewState(m_view->url().toString(), {});
}
