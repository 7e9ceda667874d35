#include "i18n/LanguageTable.h"

#include <QHash>
#include <iterator>

namespace {
// Key, English display, Traditional Chinese, Simplified Chinese. The spaces inside and at the end of
// some Chinese texts are part of them.
constexpr LanguageTable::Row kRows[LanguageTable::kRowCount] = {
    {"Local Listen Port :", "Local Listen Port :", "本地接收埠 :", "本地接收埠 :"},
    {"Destination Port :", "Destination Port :", "目的通訊埠 :", "目的通讯埠 :"},
    {"IP :", "IP :", "IP位址 :", "IP位址 :"},
    {"Port :", "Port :", "連接埠 :", "连接埠 :"},
    {"TAG Count:", "TAG Count:", "標籤數量:", "标签数量:"},
    {"TAG ID:", "TAG ID:", "標籤序號:", "标签序号:"},
    {"Read TAG", "Read TAG", "讀取標籤", "读取标签"},
    {"Set TAG", "Set TAG", "設定標籤", "设定标签"},
    {"RSSI Filter:", "RSSI Filter:", "強度過濾:", "强度过滤:"},
    {"Tamper Alarm", "Tamper Alarm", "防拆警示", "防拆警示"},
    {"Tamper Alarm Reset", "Tamper Alarm Reset", "防拆警示重設", "防拆警示重设"},
    {"Start", "Start", "啟動", "启动"},
    {"Stop", "Stop", "停止", "停止"},
    {"Clear", "Clear", "清除", "清除"},
    {"Exit", "Exit", "離開", "离开"},
    {"View All TAG", "View All TAG", "所有標籤檢視", "所有标签检视"},
    {"View Select TAG", "View Select TAG", "選取標籤檢視", "选取标签检视"},
    {"No.", "No.", "No.", "No."},
    {"UID", "UID", "標籤序號", "标签序号"},
    {"RSSI", "RSSI", "訊號強度", "讯号强度"},
    {"LQI", "LQI", "訊號品質", "讯号品质"},
    {"DI", "DI", "觸發事件", "触发事件"},
    {"T1", "T1", "室溫", "室温"},
    {"T2", "T2", "體溫/溼度", "体温/  度"},
    {"Count", "Count", "讀取次數", "读取次数"},
    {"Tag ID Filter :", "Tag ID Filter :", "標籤序號過濾:", "标签序号过滤:"},
    {"Standard TAG", "Standard TAG", "標準型標籤", "标准型标签"},
    {"One Temperature", "One Temperature", "溫度標籤", "温度标签"},
    {"Temperature && Humidity", "Temperature && Humidity", "溫溼度標籤", "温  度标签"},
    {"Two Temperature", "Two Temperature", "雙溫度標籤", "双温度标签"},
    {"Select TAG ID (Double Click)", "Select TAG ID (Double Click)", "選取標籤序號", "选取标签序号"},
    {"Set Reader", "Set Reader", "設定讀卡機", "设定读卡机"},
    {"Send Data:", "Send Data:", "傳送資料:", "传送资料:"},
    {"Recv Data:", "Recv Data:", "接收資料:", "接收资料:"},
    {"Reader Reset", "Reader Reset", "重新開機", "重新开机"},
    {"Reader Initial", "Reader Initial", "出廠預設", "出厂预设"},
    {"Get Version", "Get Version", "讀卡機版本", "读卡机版本"},
    {"Get Reader S/N", "Get Reader S/N", "讀卡機序號", "读卡机序号"},
    {"Get Reader ID", "Get Reader ID", "讀取讀卡機ID", "读取读卡机ID"},
    {"Set Reader ID", "Set Reader ID", "設定讀卡機ID", "设定读卡机ID"},
    {"Set Baudrate", "Set Baudrate", "設定傳輸速率", "设定传输速率"},
    {"Set Auto Send", "Set Auto Send", "設定傳送格式", "设定传送格式"},
    {"Mode #0 NONE", "Mode #0 NONE", "Mode #0 NONE", "Mode #0 NONE"},
    {"Mode #1 BCC", "Mode #1 BCC", "Mode #1 BCC", "Mode #1 BCC"},
    {"Mode #2 ID", "Mode #2 ID", "Mode #2 ID", "Mode #2 ID"},
    {"Mode #3 ASCII", "Mode #3 ASCII", "Mode #3 ASCII", "Mode #3 ASCII"},
    {"Mode #4 OFF", "Mode #4 OFF", "Mode #4 OFF", "Mode #4 OFF"},
    {"Set Net Port", "Set Net Port", "設定傳輸界面", "设定传输界面"},
    {"ALL", "ALL", "所有界面", "所有界面"},
    {"NET", "NET", "網路介面 ", "网路介面 "},
    {"RS232", "RS232", "RS232介面", "RS232介面"},
    {"RS485", "RS485", "RS485介面", "RS485介面"},
    {"Set RSSI Level", "Set RSSI Level", "設定訊號強度等級", "设定讯号强度等级"},
    {"Set Gain Level", "Set Gain Level", "設定天線增益等級", "设定天线增益等级"},
    {"Select Function", "Select Function", "選擇功能", "选择功能"},
    {"TAG", "TAG", "標準型標籤", "标准型标签"},
    {"WK", "WK", "腕帶型標籤", "腕带型标签"},
    {"RQ", "RQ", "溫溼度標籤", "温  度标签"},
    {"FZ", "FZ", "閃光燈標籤", "闪光灯标签"},
    {"Set TAG Active Time", "Set TAG Active Time", "設定標籤發射頻率", "设定标签发射频率"},
    {"Get TAG Active Time", "Get TAG Active Time", "讀取標籤發射頻率", "读取标签发射频率"},
    {"TAG OFF", "TAG OFF", "關機", "关机"},
    {"TAG ON", "TAG ON", "開機", "开机"},
    {"Set TAG Receive Count", "Set TAG Receive Count", "設定標籤接收間隔", "设定标签接收间隔"},
    {"Get TAG Receive Count", "Get TAG Receive Count", "讀取標籤接收間隔", "读取标签接收间隔"},
    {"0-255 (0=No Receive)", "0-255 (0=No Receive)", "0-255 (0=不接收)", "0-255 (0=不接收)"},
    {"X 0.1 second", "X 0.1 second", "X 0.1 秒", "X 0.1 秒"},
    {"TAG Beep", "TAG Beep", "觸發標籤聲音", "触发标签声音"},
    {"LED1", "LED1", "燈號1", "灯号1"},
    {"LED2", "LED2", "燈號2", "灯号2"},
    {"TAG LED Mode", "TAG LED Mode", "標籤燈號模式設定", "标签灯号模式设定"},
    {"TAG LED", "TAG LED", "觸發標籤燈號", "触发标签灯号"},
    {"TAG Version", "TAG Version", "標籤版本", "标签版本"},
    {"Key CanNot On/Off", "Key CanNot On/Off", "關閉按鍵開關標籤", "关闭按键开关标签"},
    {"Key Press 5 Sec Off TAG", "Key Press 5 Sec Off TAG", "按鍵五秒關閉標籤(一次性)",
     "按键五秒关闭标签(一次性)"},
    {"Key Press On TAG", "Key Press On TAG", "按按鍵開啟標籤(一次性)", "按按键开启标签(一次性)"},
    {"Key Press On/Off TAG", "Key Press On/Off TAG", "開啟按鍵開關標籤", "开启按键开关标签"},
    {"Power On/Off Mode", "Power On/Off Mode", "標籤開關模式設定", "标签开关模式设定"},
    {"Please Read TAG First !", "Please Read TAG First !", "請先讀取標籤 !", "请先读取标签 !"},
    {"Setting TAG", "Setting TAG", "設定標籤中", "设定标签中"},
    {"Set TAG Ok", "Set TAG Ok", "設定 TAG 成功", "设定 TAG 成功"},
    {"Set TAG Error", "Set TAG Error", "設定 TAG 失敗", "设定 TAG 失败"},
    {"Number:", "Number:", "次數 :", "次数 :"},
    {"Time:", "Time:", "時間 :", "时间 :"},
    {"Save", "Save", "存檔", "存档"},
    {"Auto Save To File", "Auto Save To File", "自動存檔", "自动存档"},
    {"All tags", "All Tags", "全部 Tag 資料", "全部 Tag 资料"},
    {"Anti-Tamper", "Anti-Tamper", "防拆偵測", "防拆侦测"},
    {"IR detect times", "IR detect times", "MO觸發後讀取次數", "MO触发後读取次数"},
    {"IR detect interval", "IR detect interval", "MO觸發後Sense Timer", "MO触发後Sense Timer"},
    {"Temp difference", "Temp difference", "Sense IR溫度差", "Sense IR温度差"},
    {"Alarm count", "Alarm count", "Alarm 次數", "Alarm 次数"},
    {"Anti-Tamper detect:", "Anti-Tamper detect:", "防拆偵測:", "防拆侦测:"},
    {"ON", "ON", "開", "开"},
    {"OFF", "OFF", "關", "关"},
    {"Temperature Alarm", "Temperature Alarm", "超溫偵測", "超温侦测"},
    {"Top Level", "Top Level", "Top Level", "Top Level"},
    {"High Level", "High Level", "High Level", "High Level"},
    {"Standard Temp", "Standard Temp", "Standard Temp", "Standard Temp"},
    {"Low Level", "Low Level", "Low Level", "Low Level"},
    {"Bottom Level", "Bottom Level", "Bottom Level", "Bottom Level"},
    {"Temperature alarm:", "Temperature alarm:", "超溫偵測：", "超温侦测："},
};

// The texts the program writes at run time beyond the table above (problem messages, tooltips), with
// their translations: key, Traditional Chinese, Simplified Chinese. "%1" and "%2" stand for values.
struct MessageRow
{
    const char *key;
    const char *traditional;
    const char *simplified;
};
constexpr MessageRow kMessages[] = {
    {"No reading links for this link kind", "此連線方式沒有可讀取的連線", "此连线方式没有可读取的连线"},
    {"The selection list %1 could not be saved: %2", "選取清單 %1 無法存檔：%2", "选取清单 %1 无法存档：%2"},
    {"%1 CSV line(s) not written: %2", "%1 筆 CSV 資料未寫入：%2", "%1 笔 CSV 资料未写入：%2"},
    {"Device this port number opens", "此埠號開啟的裝置", "此端口号打开的设备"},
    // The CSV files and the selection list ("%1", "%2": file names or a count).
    {"The CSV file %1 is not a regular file", "CSV 檔案 %1 不是一般檔案", "CSV 文件 %1 不是普通文件"},
    {"The CSV file %1 is a file this session reads", "CSV 檔案 %1 是本次讀取的輸入檔案",
     "CSV 文件 %1 是本次读取的输入文件"},
    {"The folder of the CSV file %1 cannot be created", "無法建立 CSV 檔案 %1 的資料夾",
     "无法创建 CSV 文件 %1 的文件夹"},
    {"The folder of %1 cannot be created; the CSV log goes to %2", "無法建立 %1 的資料夾，CSV 記錄改存至 %2",
     "无法创建 %1 的文件夹，CSV 记录改存至 %2"},
    {"The log %1 could not be emptied: %2", "記錄檔 %1 無法清空：%2", "记录文件 %1 无法清空：%2"},
    {"%1 lines of the selection list are not tag UIDs and were skipped",
     "選取清單中有 %1 行不是標籤序號，已略過", "选取清单中有 %1 行不是标签序号，已略过"},
    // The "Set Reader" page: ending a running command, the installer's controls, a busy port.
    {"Command Cancelled !", "命令已取消 !", "命令已取消 !"},
    {"Cancel", "取消", "取消"},
    {"Show hidden controls", "顯示隱藏的控制項", "显示隐藏的控件"},
    {"Port in use: the reading links are still closing", "連接埠使用中：讀取連線尚未關閉",
     "端口使用中：读取连线尚未关闭"},
    // The tag settings panel: ending a running tag command, the read loop's button, the message box.
    {"Stop Read", "停止讀取", "停止读取"},
    {"Message", "訊息", "信息"},
    {"Please Read TAG First!", "請先讀取標籤!", "请先读取标签!"},
    // Provisioning tags from a plan file in the tag settings panel ("%1".."%4": counts, seconds,
    // a file name or a reason); the result table's columns are the result file's header fields.
    {"Provision from file...", "從檔案批次設定...", "从文件批量设定..."},
    {"Retry failed", "重試失敗項目", "重试失败项目"},
    {"Provisioning", "批次設定", "批量设定"},
    {"Save result...", "儲存結果...", "保存结果..."},
    {"Open provisioning plan", "開啟設定計畫", "打开设定计划"},
    {"Save provisioning result", "儲存設定結果", "保存设定结果"},
    {"CSV files (*.csv)", "CSV 檔案 (*.csv)", "CSV 文件 (*.csv)"},
    {"%1/%2 rows done, %3 failed, about %4 s left", "已完成 %1/%2 筆，失敗 %3 筆，約剩 %4 秒",
     "已完成 %1/%2 笔，失败 %3 笔，约剩 %4 秒"},
    {"%1/%2 rows done, %3 failed", "已完成 %1/%2 筆，失敗 %3 筆", "已完成 %1/%2 笔，失败 %3 笔"},
    {"The plan was not run: %1", "設定計畫未執行：%1", "设定计划未执行：%1"},
    {"Not run", "未執行", "未执行"},
    {"Result saved to %1", "結果已存至 %1", "结果已存至 %1"},
    {"The result could not be saved: %1", "無法儲存結果：%1", "无法保存结果：%1"},
    {"%1 is the plan file", "%1 是設定計畫檔案", "%1 是设定计划文件"},
    // A failed row's header in the result table ("%1": the row's number).
    {"%1 Failed", "%1 失敗", "%1 失败"},
    {"uid", "標籤序號", "标签序号"},
    {"command", "命令", "命令"},
    {"args", "參數", "参数"},
    {"ok", "成功", "成功"},
    {"text", "結果", "结果"},
    {"values", "讀取值", "读取值"},
    {"seconds", "秒", "秒"},
    // Publishing the reports to an MQTT broker (the "Publish" group of "Read TAG") and reading them
    // back from one (the "MQTT" link page): captions, tooltips, the publisher's state, its problems.
    {"Publish", "發佈", "发布"},
    {"Publish reports", "發佈讀取資料", "发布读取数据"},
    {"Broker URL:", "伺服器網址:", "服务器网址:"},
    {"Prefix:", "主題前綴:", "主题前缀:"},
    {"Site:", "站點:", "站点:"},
    {"QoS:", "服務品質 QoS:", "服务质量 QoS:"},
    {"User:", "使用者:", "用户:"},
    {"Password file:", "密碼檔案:", "密码文件:"},
    {"CA file:", "CA 憑證檔案:", "CA 证书文件:"},
    {"Broker settings", "伺服器設定", "服务器设置"},
    {"Empty: talvo/SITE", "空白：talvo/站點", "空白：talvo/站点"},
    {"Empty: this computer's name", "空白：本電腦名稱", "空白：本计算机名称"},
    {"Empty: every site", "空白：所有站點", "空白：所有站点"},
    {"A file whose first line is the password", "第一行為密碼的檔案", "第一行为密码的文件"},
    {"Empty: the system's certificate authorities", "空白：使用系統的憑證機構",
     "空白：使用系统的证书颁发机构"},
    {"Not publishing", "未發佈", "未发布"},
    {"Connecting to the broker", "正在連線至伺服器", "正在连接服务器"},
    {"Connected", "已連線", "已连接"},
    {"Reconnecting", "重新連線中", "重新连接中"},
    {"Sending queued reports", "正在傳送佇列中的資料", "正在发送队列中的数据"},
    {"Not publishing: the settings are not usable", "未發佈：設定無法使用", "未发布：设置无法使用"},
    {"Dropped: %1", "已捨棄：%1", "已丢弃：%1"},
    // The web view of a session (the "Publish" group).
    {"Serve a web view on port", "提供網頁檢視，連接埠", "提供网页视图，端口"},
    {"Web view: %1", "網頁檢視：%1", "网页视图：%1"},
    {"Web view not served: %1", "未提供網頁檢視：%1", "未提供网页视图：%1"},
    {"Only this computer can open it", "只有本電腦可以開啟", "只有本计算机可以打开"},
    {"MQTT settings not usable: %1", "MQTT 設定無法使用：%1", "MQTT 设置无法使用：%1"},
    {"MQTT broker not reachable: %1", "無法連線至 MQTT 伺服器：%1", "无法连接 MQTT 服务器：%1"},
    {"MQTT broker refused the connection: %1", "MQTT 伺服器拒絕連線：%1", "MQTT 服务器拒绝连接：%1"},
    {"MQTT broker does not answer: %1", "MQTT 伺服器沒有回應：%1", "MQTT 服务器没有响应：%1"},
    {"MQTT broker connection lost: %1", "與 MQTT 伺服器的連線中斷：%1", "与 MQTT 服务器的连接中断：%1"},
    {"MQTT reports dropped: %1", "MQTT 資料已捨棄：%1", "MQTT 数据已丢弃：%1"},
    {"MQTT message is not a report: %1", "MQTT 訊息不是讀取資料：%1", "MQTT 消息不是读取数据：%1"},
    // The links' connection log ("%1", "%2", "%3": addresses, ports, commands and the system's reasons).
    {"Connected:%1 Port:%2", "已連線:%1 連接埠:%2", "已连接:%1 端口:%2"},
    {"Disconnected:%1 Port:%2", "已斷線:%1 連接埠:%2", "已断开:%1 端口:%2"},
    {"Not connected:%1 Port:%2 (%3)", "無法連線:%1 連接埠:%2 (%3)", "无法连接:%1 端口:%2 (%3)"},
    {"Listening: Port:%1", "監聽中: 連接埠:%1", "监听中: 端口:%1"},
    {"Not listening: Port:%1 (%2)", "無法監聽: 連接埠:%1 (%2)", "无法监听: 端口:%1 (%2)"},
    {"Refused:%1:%2 (listener full)", "已拒絕:%1:%2 (連線數已滿)", "已拒绝:%1:%2 (连接数已满)"},
    {"Disconnected:%1:%2 (%3)", "已斷線:%1:%2 (%3)", "已断开:%1:%2 (%3)"},
    {"Bound: Port:%1", "已綁定: 連接埠:%1", "已绑定: 端口:%1"},
    {"Not bound: Port:%1 (%2)", "無法綁定: 連接埠:%1 (%2)", "无法绑定: 端口:%1 (%2)"},
    {"Not listed:%1:%2 (too many senders)", "未列入:%1:%2 (傳送端過多)", "未列入:%1:%2 (发送端过多)"},
    {"%1: no valid reply to %2", "%1: %2 沒有有效的回覆", "%1: %2 没有有效的回复"},
    {"Not a port: %1", "不是連接埠號碼: %1", "不是端口号: %1"},
    {"Subscribed:%1 Topic:%2", "已訂閱:%1 主題:%2", "已订阅:%1 主题:%2"},
    {"Reader:%1", "讀卡機:%1", "读卡机:%1"},
    // The tag settings panel's own texts: a cancelled sequence, a refused UID, an odd acknowledgement.
    {"Cancelled", "已取消", "已取消"},
    {"Invalid TAG ID (16 characters 0-9 A-F, not all 0): ",
     "標籤序號錯誤 (須為 16 個字元 0-9 A-F, 不可全為 0): ",
     "标签序号错误 (须为 16 个字符 0-9 A-F, 不可全为 0): "},
    {" (TAG answered a value that is no hex number: ", " (標籤回覆的數值不是十六進位數字: ",
     " (标签回复的数值不是十六进制数字: "},
    // Tag page captions beside the table's upper-case "TAG ON"/"TAG OFF", and the PA row's label.
    {"TAG On", "開機", "开机"},
    {"TAG Off", "關機", "关机"},
    {"default 100", "預設 100", "默认 100"},
    {" (TAG acknowledged %2 instead of %1)", " (標籤確認的數值為 %2，而非 %1)",
     " (标签确认的数值为 %2，而非 %1)"},
    // The configuration link could not open or was lost ("%1": device or address, "%2": port or line
    // settings, the last value: the system's reason).
    {"Cannot open %1: line settings \"%2\" are not valid", "無法開啟 %1：通訊參數 \"%2\" 無效",
     "无法打开 %1：通信参数 \"%2\" 无效"},
    {"Cannot open %1: %2", "無法開啟 %1：%2", "无法打开 %1：%2"},
    {"Cannot set %1 to \"%2\": %3", "無法將 %1 設為 \"%2\"：%3", "无法将 %1 设为 \"%2\"：%3"},
    {"No reader address to connect to", "沒有要連線的讀卡機位址", "没有要连接的读卡机地址"},
    {"No reader address to accept", "沒有要接受連線的讀卡機位址", "没有要接受连接的读卡机地址"},
    {"Cannot listen on port %1: %2", "無法在連接埠 %1 監聽：%2", "无法在端口 %1 监听：%2"},
    {"The reader connection was closed", "讀卡機連線已關閉", "读卡机连接已关闭"},
    {"Reader %1: %2", "讀卡機 %1：%2", "读卡机 %1：%2"},
    {"No reader address to send to", "沒有要傳送的讀卡機位址", "没有要发送的读卡机地址"},
    {"Cannot use UDP port %1: %2", "無法使用 UDP 連接埠 %1：%2", "无法使用 UDP 端口 %1：%2"},
    // The reading links' problems ("%1".."%3": ports, devices, addresses, the system's reasons).
    {"Port %1 is not a port number (0-65535)", "%1 不是連接埠號碼 (0-65535)", "%1 不是端口号 (0-65535)"},
    {"%1 could not be opened: %2", "無法開啟 %1：%2", "无法打开 %1：%2"},
    {"%1: read failed: %2", "%1：讀取失敗：%2", "%1：读取失败：%2"},
    {"standard input: read failed", "標準輸入：讀取失敗", "标准输入：读取失败"},
    {"%1 (%2) could not be opened: %3", "%1 (%2) 無法開啟：%3", "%1 (%2) 无法打开：%3"},
    {"No serial port could be opened; nothing will be read.", "沒有可開啟的串列埠，將不會讀取任何資料。",
     "没有可打开的串口，将不会读取任何数据。"},
    {"%1 (%2) failed: %3.", "%1 (%2) 發生錯誤：%3。", "%1 (%2) 发生错误：%3。"},
    {"%1 (%2) failed: %3; no more reports from this port.", "%1 (%2) 發生錯誤：%3；此埠不再讀取資料。",
     "%1 (%2) 发生错误：%3；此端口不再读取数据。"},
    {"%1: the command %2 could not be sent: %3", "%1：無法傳送命令 %2：%3", "%1：无法发送命令 %2：%3"},
    {"Connection to reader %1 Port:%2 lost", "與讀卡機 %1 連接埠:%2 的連線中斷",
     "与读卡机 %1 端口:%2 的连接中断"},
    {"Reader %1 Port:%2 cannot be reached: %3", "無法連線至讀卡機 %1 連接埠:%2：%3",
     "无法连接读卡机 %1 端口:%2：%3"},
    {"Reader %1 Port:%2 taken as lost: %3", "讀卡機 %1 連接埠:%2 視為已斷線：%3",
     "读卡机 %1 端口:%2 视为已断开：%3"},
    {"%1 readers are connected; connection from %2 refused", "已連線 %1 台讀卡機；拒絕來自 %2 的連線",
     "已连接 %1 台读卡机；拒绝来自 %2 的连接"},
    {"Reader %1 disconnected: %2", "讀卡機 %1 已斷線：%2", "读卡机 %1 已断开：%2"},
    {"More than %1 UDP senders; %2 and later ones are not read", "UDP 傳送端超過 %1 個；%2 及之後的不會讀取",
     "UDP 发送端超过 %1 个；%2 及之后的不会读取"},
    {"Cannot send to %1 Port:%2: %3", "無法傳送至 %1 連接埠:%2：%3", "无法发送至 %1 端口:%2：%3"},
    // The signal views of "Read TAG": the chart of the selected tags, the reader coverage, the tag
    // finder ("%1", "%2": counts, seconds, a file name or the system's reason).
    {"Chart", "圖表", "图表"},
    {"Coverage", "涵蓋範圍", "覆盖范围"},
    {"Find TAG", "尋找標籤", "寻找标签"},
    {"Pause", "暫停", "暂停"},
    {"Resume", "繼續", "继续"},
    {"Time window:", "時間範圍:", "时间范围:"},
    {"%1 min", "%1 分鐘", "%1 分钟"},
    {"Save image...", "儲存圖片...", "保存图片..."},
    {"Save data...", "儲存資料...", "保存数据..."},
    {"Saved to %1", "已存至 %1", "已保存至 %1"},
    {"Not saved: %1", "未儲存：%1", "未保存：%1"},
    {"Temperature (C)", "溫度 (C)", "温度 (C)"},
    {"T1 (temperature)", "T1 (溫度)", "T1 (温度)"},
    {"T2 or humidity", "T2 或濕度", "T2 或湿度"},
    {"T2 (C) or humidity (%)", "T2 (C) 或濕度 (%)", "T2 (C) 或湿度 (%)"},
    {"Save as CSV...", "另存為 CSV...", "另存为 CSV..."},
    {"%1 tags, %2 readers", "%1 個標籤，%2 台讀卡機", "%1 个标签，%2 台读卡机"},
    {"(%1 reports beyond the bound not counted)", "(%1 筆超出上限的資料未計入)",
     "(%1 笔超出上限的数据未计入)"},
    {"Tag to find (click its row or type its UID in TAG ID):", "要尋找的標籤 (點選其列或在標籤序號輸入):",
     "要寻找的标签 (点选其行或在标签序号输入):"},
    {"Tick tone", "滴答提示音", "滴答提示音"},
    {"No report yet", "尚無讀取資料", "尚无读取数据"},
    {"Last report %1 s ago", "上次讀取於 %1 秒前", "上次读取于 %1 秒前"},
};

// Key -> first row with that key, built once.
const QHash<QString, int> &keyIndex()
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        for (int i = 0; i < LanguageTable::kRowCount; ++i) {
            const QString key = QString::fromUtf8(kRows[i].key);
            if (!h.contains(key))
                h.insert(key, i);
        }
        return h;
    }();
    return index;
}
} // namespace

const LanguageTable::Row &LanguageTable::row(int index)
{
    return kRows[index];
}

int LanguageTable::find(const QString &key)
{
    return keyIndex().value(key, -1);
}

int LanguageTable::messageCount()
{
    return int(std::size(kMessages));
}

QString LanguageTable::messageKey(int index)
{
    return QString::fromUtf8(kMessages[index].key);
}

QString LanguageTable::translate(int language, const QString &english)
{
    if (language != kTraditionalChinese && language != kSimplifiedChinese)
        return english;
    const bool traditional = language == kTraditionalChinese;
    const int r = find(english);
    if (r >= 0)
        return QString::fromUtf8(traditional ? kRows[r].traditional : kRows[r].simplified);
    for (const MessageRow &m : kMessages) {
        if (english == QLatin1String(m.key))
            return QString::fromUtf8(traditional ? m.traditional : m.simplified);
    }
    return english;
}
