#include "server/site/NcSite_Templates.h"

const char kNcSiteLayout[] = R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{{title}} · 网络检测 Support</title>
<link rel="stylesheet" href="/support/style.css"></head>
<body>
<header><span class="brand">网络检测报告 · Support</span>
{{#staff}}<nav><a href="/support/reports">报告 Reports</a><a href="/support/dumps">转储 Dumps</a><a href="/support/analytics">分析 Analytics</a></nav>
<form method="post" action="/support/logout" class="signout"><input type="hidden" name="csrf" value="{{csrf}}"><span class="who">{{name}}</span><button type="submit">退出 Sign out</button></form>{{/staff}}
</header>
<main>{{{content}}}</main>
</body></html>
)";

const char kNcSiteSignIn[] = R"(<section class="signin"><h1>登录 Sign in</h1>
{{#error}}<p class="error">{{error}}</p>{{/error}}
<form method="post" action="/support/login">
<input type="hidden" name="csrf" value="{{csrf}}">
<input type="hidden" name="next" value="{{next}}">
<label>账号 Name<input name="name" autocomplete="username" required autofocus></label>
<label>密码 Password<input name="password" type="password" autocomplete="current-password" required></label>
<button type="submit">登录 Sign in</button>
</form></section>
)";

const char kNcSiteReports[] = R"(<h1>报告 Reports</h1>
<form method="get" action="/support/reports" class="filters">
<label>账号 Account<input name="account" value="{{f.account}}"></label>
<label>服务器 Server<input name="server" value="{{f.server}}"></label>
<label>问题类型 Group<input name="group" value="{{f.group}}"></label>
<label>运营商 Carrier<input name="carrier" value="{{f.carrier}}"></label>
<label>网络质量 Verdict<select name="verdict">{{#verdicts}}<option value="{{value}}"{{#selected}} selected{{/selected}}>{{label}}</option>{{/verdicts}}</select></label>
<label>从 From<input name="from" type="date" value="{{f.from}}"></label>
<label>到 To<input name="to" type="date" value="{{f.to}}"></label>
<label class="wide">描述包含 Description contains<input name="q" value="{{f.q}}"></label>
<button type="submit">筛选 Filter</button> <a href="/support/reports">清除 Clear</a>
</form>
{{#bad_filter}}<p class="error">{{bad_filter}}</p>{{/bad_filter}}
<div class="scroll"><table class="list"><thead><tr><th>#</th><th>时间 Time (UTC)</th><th>账号 Account</th><th>服务器 Server</th><th>问题类型 Group</th><th>运营商 Carrier</th><th>网络质量 Verdict</th><th>描述 Description</th></tr></thead>
<tbody>{{#rows}}<tr><td><a href="/support/reports/{{id}}">{{id}}</a></td><td>{{time}}</td><td>{{account}}</td><td>{{server}}</td><td>{{group}}</td><td>{{carrier}}</td><td class="v{{verdict_class}}">{{verdict}}</td><td class="desc">{{description}}</td></tr>{{/rows}}
{{^rows}}<tr><td colspan="8" class="empty">没有报告 No reports</td></tr>{{/rows}}</tbody></table></div>
<p class="pager">{{#prev}}<a href="{{prev}}">← 上一页 Newer</a>{{/prev}} <span>第 {{page}} 页 Page {{page}}</span> {{#next}}<a href="{{next}}">下一页 Older →</a>{{/next}}</p>
)";

const char kNcSiteReport[] = R"(<h1>报告 Report #{{id}}</h1>
<dl class="fields">
<dt>时间 Time (UTC)</dt><dd>{{time}}</dd>
<dt>账号 Account</dt><dd><a href="/support/reports?account={{account_q}}">{{account}}</a></dd>
<dt>服务器 Server</dt><dd>{{server}}</dd>
<dt>问题类型 Group</dt><dd>{{group}}</dd>
<dt>运营商 Carrier</dt><dd>{{carrier}}</dd>
<dt>客户端地址 Client address</dt><dd>{{addr}}</dd>
<dt>网络质量 Verdict</dt><dd class="v{{verdict_class}}">{{verdict}}</dd>
<dt>描述 Description</dt><dd class="pre">{{description}}</dd>
</dl>
<h2>各目标 Per target</h2>
<div class="scroll"><table class="list"><thead><tr><th>目标 Target</th><th>丢包 Loss %</th><th>平均 Avg ms</th><th>最小 Min</th><th>最大 Max</th><th>抖动 Jitter</th><th>回应 Replies</th></tr></thead>
<tbody>{{#figures}}<tr><td>{{target}}</td><td>{{loss}}</td><td>{{avg}}</td><td>{{min}}</td><td>{{max}}</td><td>{{jitter}}</td><td>{{replies}}</td></tr>{{/figures}}
{{^figures}}<tr><td colspan="7" class="empty">没有 ping 结果 No ping figures</td></tr>{{/figures}}</tbody></table></div>
<h2>同账号的转储 Dumps of this account</h2>
<ul>{{#dumps}}<li><a href="/support/dumps/{{name_q}}">{{name}}</a></li>{{/dumps}}{{^dumps}}<li class="empty">没有 None</li>{{/dumps}}</ul>
<h2>检测内容 Check content</h2>
<pre class="content">{{content}}</pre>
)";

const char kNcSiteDumps[] = R"(<h1>转储 Dumps</h1>
<div class="scroll"><table class="list"><thead><tr><th>文件 File</th><th>大小 Size</th><th>收到 Received (UTC)</th><th>崩溃时间 Crashed</th><th>程序 Program</th><th>机器 Machine</th><th>版本 Version</th><th>标记 Tags</th></tr></thead>
<tbody>{{#dumps}}<tr><td><a href="/support/dumps/{{name_q}}">{{name}}</a></td><td>{{size}}</td><td>{{mtime}}</td><td>{{crashed}}</td><td>{{app}}</td><td>{{machine}}</td><td>{{version}}</td><td>{{tags}}</td></tr>{{/dumps}}
{{^dumps}}<tr><td colspan="8" class="empty">没有转储 No dumps</td></tr>{{/dumps}}</tbody></table></div>
)";

const char kNcSiteAnalytics[] = R"(<h1>分析 Analytics</h1>
<form method="get" action="/support/analytics" class="filters">
<label>从 From<input name="from" type="date" value="{{from}}"></label>
<label>到 To (含 incl.)<input name="to" type="date" value="{{to}}"></label>
<button type="submit">显示 Show</button>
</form>
{{#bad_filter}}<p class="error">{{bad_filter}}</p>{{/bad_filter}}
{{#truncated}}<p class="error">窗口太大，只统计了前 {{truncated}} 行 Window too large: only the first {{truncated}} rows were counted</p>{{/truncated}}
<p class="totals"><b>{{reports}}</b> 份报告 reports · <b>{{bad_share}}</b> 较差 bad</p>
<h2>每小时报告数（红色：较差）Reports per hour (red: bad)</h2>
<div class="plotbox">{{{plot_reports}}}</div>
<h2>每小时延迟 Latency per hour <span class="key"><i class="k50"></i>p50 <i class="k95"></i>p95</span></h2>
<div class="plotbox">{{{plot_latency}}}</div>
<h2>最差的 服务器 × 运营商 Worst server × carrier</h2>
<div class="scroll"><table class="list"><thead><tr><th>服务器 Server</th><th>运营商 Carrier</th><th>报告 Reports</th><th>较差 Bad</th><th>较差比例 Bad share</th><th>延迟 p95 ms</th></tr></thead>
<tbody>{{#worst}}<tr><td>{{server}}</td><td>{{carrier}}</td><td>{{reports}}</td><td>{{bad}}</td><td>{{share}}</td><td>{{p95}}</td></tr>{{/worst}}{{^worst}}<tr><td colspan="6" class="empty">没有 None</td></tr>{{/worst}}</tbody></table></div>
{{#sections}}<h2>{{title}}</h2>
<div class="scroll"><table class="list stats"><thead><tr><th>{{key_label}}</th><th>报告 Reports</th><th>较差比例 Bad share</th><th>目标 Target</th><th>延迟 Latency p50 / p95 ms</th><th>丢包 Loss p50 / p95 %</th><th>抖动 Jitter ms</th></tr></thead>
<tbody>{{#groups}}{{#targets}}<tr>{{#first}}<td rowspan="{{span}}">{{key}}</td><td rowspan="{{span}}">{{reports}}</td><td rowspan="{{span}}">{{share}}</td>{{/first}}<td>{{target}}</td><td>{{lat}}</td><td>{{loss}}</td><td>{{jitter}}</td></tr>{{/targets}}{{/groups}}
{{^groups}}<tr><td colspan="7" class="empty">没有 None</td></tr>{{/groups}}</tbody></table></div>{{/sections}}
)";

const char kNcSiteStylesheet[] = R"(*{box-sizing:border-box}
body{margin:0;font:15px/1.45 "Noto Sans CJK SC","WenQuanYi Zen Hei",system-ui,sans-serif;color:#1d2733;background:#f3f5f8}
header{display:flex;flex-wrap:wrap;align-items:center;gap:8px 18px;padding:10px 18px;background:#1f3b57;color:#fff}
header a{color:#dfeaf5;text-decoration:none;margin-right:14px}header a:hover{color:#fff;text-decoration:underline}
.brand{font-weight:600}nav{flex:1}.signout{display:flex;gap:8px;align-items:center}.who{opacity:.85}
main{max-width:1200px;margin:0 auto;padding:14px 18px 40px}
h1{font-size:22px;margin:8px 0 14px}h2{font-size:17px;margin:22px 0 8px}
button{font:inherit;padding:5px 12px;border:1px solid #2f5d86;background:#2f6da3;color:#fff;border-radius:4px;cursor:pointer}
input,select{font:inherit;padding:4px 6px;border:1px solid #b8c3cf;border-radius:4px;background:#fff;width:100%}
.filters{display:grid;grid-template-columns:repeat(auto-fill,minmax(170px,1fr));gap:8px 12px;align-items:end;margin-bottom:14px}
.filters label{display:flex;flex-direction:column;font-size:13px;color:#4a5868}.filters .wide{grid-column:span 2}
.scroll{overflow-x:auto;background:#fff;border:1px solid #d5dce4;border-radius:6px}
table.list{border-collapse:collapse;width:100%;font-size:14px}
.list th,.list td{padding:6px 8px;border-bottom:1px solid #e5e9ee;text-align:left;vertical-align:top;white-space:nowrap}
.list th{background:#eef2f6;font-weight:600;font-size:13px}.list td.desc{white-space:normal;min-width:22em;word-break:break-word}
.empty{color:#7b8794;text-align:center}
.v0{color:#22803a}.v1{color:#b7791f}.v2{color:#c53030;font-weight:600}
.pager{display:flex;gap:16px;align-items:center}
.error{color:#9b1c1c;background:#fde8e8;padding:6px 10px;border-radius:4px}
.signin{max-width:340px;margin:60px auto;background:#fff;padding:20px 24px;border:1px solid #d5dce4;border-radius:8px}
.signin label{display:block;margin:10px 0;font-size:13px;color:#4a5868}.signin button{width:100%;margin-top:8px}
dl.fields{display:grid;grid-template-columns:max-content 1fr;gap:4px 16px;background:#fff;padding:12px 16px;border:1px solid #d5dce4;border-radius:6px}
dl.fields dt{color:#4a5868}dl.fields dd{margin:0;word-break:break-word}.pre{white-space:pre-wrap}
pre.content{background:#fff;border:1px solid #d5dce4;border-radius:6px;padding:10px;overflow-x:auto;font-size:13px;white-space:pre-wrap;word-break:break-all}
.plotbox{background:#fff;border:1px solid #d5dce4;border-radius:6px;padding:6px}
svg.plot{width:100%;height:auto;display:block}
svg .grid{stroke:#e3e8ee;stroke-width:1}svg text{font-size:11px;fill:#5b6875}svg .ylab{text-anchor:end}
svg .all{fill:#7aa6d1}svg .bad{fill:#d9534f}svg polyline{fill:none;stroke-width:2}svg .p50{stroke:#2f6da3}svg .p95{stroke:#d98c1f}
.key i{display:inline-block;width:14px;height:3px;margin:0 4px 3px 10px;vertical-align:middle}.k50{background:#2f6da3}.k95{background:#d98c1f}
.totals{font-size:16px}
@media (max-width:600px){header{padding:8px 10px}main{padding:10px}.filters .wide{grid-column:span 1}
dl.fields{grid-template-columns:1fr}dl.fields dt{font-weight:600;margin-top:6px}}
)";
