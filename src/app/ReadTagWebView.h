#pragma once

#include <QObject>
#include <memory>

class PublishGroup;
class ReadingPipeline;
class SettingsStore;
class WebView;

// The window's web view: while "Serve a web view on port …" is ticked, the reading page's tables,
// readers and counters are served on 127.0.0.1 at that port (between sessions too, since the tables
// stay). The group shows the address, or why it cannot be served; the choice is stored when edited.
class ReadTagWebView : public QObject
{
    Q_OBJECT
public:
    ReadTagWebView(ReadingPipeline &pipeline, PublishGroup *group, SettingsStore *settings,
                   QObject *parent = nullptr);
    ~ReadTagWebView() override;

    // The web view being served (nullptr when off or not served).
    const WebView *webView() const { return m_view.get(); }

private:
    void apply();

    ReadingPipeline &m_pipeline;
    PublishGroup *m_group;
    SettingsStore *m_settings;
    std::unique_ptr<WebView> m_view;
};
