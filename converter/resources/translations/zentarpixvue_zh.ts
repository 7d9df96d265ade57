<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>zentarPixvue</name>
    <message>
        <source>Pixvue</source>
        <translation>Pixvue</translation>
    </message>
</context>
<context>
    <name>QMenuDialog</name>
    <message>
        <source>Official Web</source>
        <translation>官方网站</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Check update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation>意见反馈</translation>
    </message>
    <message>
        <source>Contact Us</source>
        <translation>联系我们</translation>
    </message>
    <message>
        <source>Help center</source>
        <translation>帮助中心</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Privacy</source>
        <translation>隐私</translation>
    </message>
</context>
<context>
    <name>QHomePage</name>
    <message>
        <source>Add files</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <source>Drag HEIC, HEIF or AVIF photos here or click the area to add the files</source>
        <translation>将 HEIC、HEIF 或 AVIF 照片拖到这里，或点击此区域添加文件</translation>
    </message>
</context>
<context>
    <name>QAddFilesDialog</name>
    <message>
        <source>Select HEIC, HEIF or AVIF pictures, or folders</source>
        <translation>选择 HEIC、HEIF 或 AVIF 图片，或文件夹</translation>
    </message>
    <message>
        <source>HEIC, HEIF and AVIF pictures (%1)</source>
        <translation>HEIC、HEIF 和 AVIF 图片 (%1)</translation>
    </message>
</context>
<context>
    <name>QOperatePage</name>
    <message>
        <source>Add File</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Alter</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>转换</translation>
    </message>
    <message>
        <source>Output format:</source>
        <translation>输出格式：</translation>
    </message>
    <message>
        <source>Picture Size:</source>
        <translation>图片尺寸：</translation>
    </message>
    <message>
        <source>Picture Quality:</source>
        <translation>图片质量：</translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation>模式：</translation>
    </message>
    <message>
        <source>Keep EXIF mode</source>
        <translation>保留 EXIF 信息</translation>
    </message>
    <message>
        <source>Remove location</source>
        <translation>移除位置信息</translation>
    </message>
    <message>
        <source>Output path :</source>
        <translation>输出路径：</translation>
    </message>
    <message>
        <source>Default directory</source>
        <translation>默认目录</translation>
    </message>
    <message>
        <source>Custom directory</source>
        <translation>自定义目录</translation>
    </message>
    <message>
        <source>%1 file(s) not added: Pixvue converts HEIC, HEIF and AVIF pictures only.</source>
        <translation>%1 个文件未添加：Pixvue 只转换 HEIC、HEIF 和 AVIF 图片。</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>选择目录</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Please select a non-system directory for output directory</source>
        <translation>请选择非系统目录作为输出目录</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>文件名</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Output format</source>
        <translation>输出格式</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>Select %1 pc</source>
        <translation>已选择 %1 个</translation>
    </message>
</context>
<context>
    <name>QHeaderViewBase</name>
    <message>
        <source>File Name</source>
        <translation>文件名</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Output format</source>
        <translation>输出格式</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Select %1 pc</source>
        <translation>已选择 %1 个</translation>
    </message>
</context>
<context>
    <name>QTableDelegateBase</name>
    <message>
        <source>Ready</source>
        <translation>待转换</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>转换中...</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>已完成</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失败</translation>
    </message>
</context>
<context>
    <name>QHeicDelegate</name>
    <message>
        <source>Ready</source>
        <translation>待转换</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>转换中...</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>已完成</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失败</translation>
    </message>
</context>
<context>
    <name>HeicModelData</name>
    <message>
        <source>not a picture</source>
        <translation>不是图片</translation>
    </message>
    <message>
        <source>damaged or truncated file</source>
        <translation>文件已损坏或不完整</translation>
    </message>
    <message>
        <source>file cannot be read</source>
        <translation>文件无法读取</translation>
    </message>
    <message>
        <source>picture too large</source>
        <translation>图片过大</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>picture size too small</source>
        <translation>图片尺寸过小</translation>
    </message>
    <message>
        <source>output folder not writable</source>
        <translation>输出文件夹不可写入</translation>
    </message>
    <message>
        <source>disk full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>EXIF could not be written</source>
        <translation>EXIF 无法写入</translation>
    </message>
    <message>
        <source>picture coding not supported</source>
        <translation>不支持该图片编码</translation>
    </message>
    <message>
        <source>image sequence not supported</source>
        <translation>不支持图像序列</translation>
    </message>
</context>
<context>
    <name>QConvertImageDlg</name>
    <message>
        <source>Converting</source>
        <translation>正在转换</translation>
    </message>
    <message>
        <source>Converting, please wait...</source>
        <translation>正在转换，请稍候...</translation>
    </message>
    <message>
        <source>Converting, please wait...(%1/%2)</source>
        <translation>正在转换，请稍候...(%1/%2)</translation>
    </message>
    <message>
        <source>Stop Convert</source>
        <translation>停止转换</translation>
    </message>
    <message>
        <source>View Files</source>
        <translation>查看文件</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>Conversion completed, Total:%1,Suc:%2,Fail:%3</source>
        <translation>转换完成，共：%1，成功：%2，失败：%3</translation>
    </message>
    <message>
        <source>Convert Completed</source>
        <translation>转换完成</translation>
    </message>
    <message>
        <source>Convert Stopped</source>
        <translation>转换已停止</translation>
    </message>
    <message>
        <source>Conversion stopped, Total:%1,Suc:%2,Fail:%3,Not converted:%4</source>
        <translation>转换已停止，共：%1，成功：%2，失败：%3，未转换：%4</translation>
    </message>
    <message>
        <source>Convert Failed</source>
        <translation>转换失败</translation>
    </message>
    <message>
        <source>Conversion failed, Total:%1,Suc:%2,Fail:%3</source>
        <translation>转换失败，共：%1，成功：%2，失败：%3</translation>
    </message>
</context>
<context>
    <name>QStopAddDelImgDlg</name>
    <message>
        <source>Stop Add</source>
        <translation>停止添加</translation>
    </message>
    <message>
        <source>Adding Heic Files, please wait...</source>
        <translation>正在添加 HEIC 文件，请稍候...</translation>
    </message>
    <message>
        <source>Stop Delete</source>
        <translation>停止删除</translation>
    </message>
    <message>
        <source>Deleting Heic Files, please wait...</source>
        <translation>正在删除 HEIC 文件，请稍候...</translation>
    </message>
</context>
<context>
    <name>QMessageboxEx</name>
    <message>
        <source>YES</source>
        <translation>是</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>QCheckUpdateDialog</name>
    <message>
        <source>Check for updates</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
</context>
<context>
    <name>QCheckingPage</name>
    <message>
        <source>Version : </source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>Checking new version,please wait...</source>
        <translation>正在检查新版本，请稍候...</translation>
    </message>
    <message>
        <source>It is the latest version, no need to update</source>
        <translation>已是最新版本，无需更新</translation>
    </message>
    <message>
        <source>Pixvue is updated by your system&apos;s package manager</source>
        <translation>Pixvue 由系统的软件包管理器更新</translation>
    </message>
    <message>
        <source>Update check failed: %1 (%2)</source>
        <translation>检查更新失败：%1（%2）</translation>
    </message>
</context>
<context>
    <name>QCheckedPage</name>
    <message>
        <source>New Version : %1</source>
        <translation>新版本：%1</translation>
    </message>
    <message>
        <source>Update content :</source>
        <translation>更新内容：</translation>
    </message>
    <message>
        <source>1 : Optimize some known issues</source>
        <translation>1：优化了一些已知问题</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Pixvue is updated by your system&apos;s package manager</source>
        <translation>Pixvue 由系统的软件包管理器更新</translation>
    </message>
</context>
<context>
    <name>QUpdatePage</name>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Downloading( %1 ),please wait...</source>
        <translation>正在下载( %1 )，请稍候...</translation>
    </message>
    <message>
        <source>Official website download</source>
        <translation>官网下载</translation>
    </message>
    <message>
        <source>Downlaod( %1 ) Fail! ErrorCode : %2</source>
        <translation>下载( %1 )失败！错误码：%2</translation>
    </message>
    <message>
        <source>Update fail</source>
        <translation>更新失败</translation>
    </message>
    <message>
        <source>Please manually click the upgrade package to upgrade</source>
        <translation>请手动点击升级包进行升级</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>The installer of %1 has been started</source>
        <translation>%1 的安装程序已启动</translation>
    </message>
    <message>
        <source>The installer could not be started: %1</source>
        <translation>无法启动安装程序：%1</translation>
    </message>
</context>
<context>
    <name>QFeedbackDialog</name>
    <message>
        <source>Feedback</source>
        <translation>意见反馈</translation>
    </message>
    <message>
        <source>Opinion content(Your valuable opinions are the driving force for our growth)</source>
        <translation>意见内容（您宝贵的意见是我们成长的动力）</translation>
    </message>
    <message>
        <source>Please fill in the mailbox so that we can reply you in time, thank you</source>
        <translation>请填写邮箱，以便我们及时回复您，谢谢</translation>
    </message>
    <message>
        <source>Mail :</source>
        <translation>邮箱：</translation>
    </message>
    <message>
        <source>VerCode :</source>
        <translation>验证码：</translation>
    </message>
    <message>
        <source>Submit</source>
        <translation>提交</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>继续</translation>
    </message>
    <message>
        <source>QQChat</source>
        <translation>QQ交谈</translation>
    </message>
    <message>
        <source>Incorrect email format</source>
        <translation>邮箱格式不正确</translation>
    </message>
    <message>
        <source>Please enter verification code</source>
        <translation>请输入验证码</translation>
    </message>
    <message>
        <source>Incorrect verification code</source>
        <translation>验证码错误</translation>
    </message>
    <message>
        <source>Submitted successfully, thank you very much for your feedback</source>
        <translation>提交成功，非常感谢您的反馈</translation>
    </message>
    <message>
        <source>You can enter another %1 characters</source>
        <translation>还可以输入 %1 个字符</translation>
    </message>
    <message>
        <source>Submit failed: %1 (%2), please resubmit</source>
        <translation>提交失败：%1（%2），请重新提交</translation>
    </message>
</context>
<context>
    <name>QLanguageDialog</name>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Please select language :</source>
        <translation>请选择语言：</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>The progam will restart to apply your change</source>
        <translation>程序将重新启动以应用您的更改</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>QPrivacyDialog</name>
    <message>
        <source>Privacy</source>
        <translation>隐私</translation>
    </message>
    <message>
        <source>Pixvue sends nothing over the network without your consent. You can change this later in the menu.</source>
        <translation>未经您的同意，Pixvue 不会通过网络发送任何内容。您以后可以在菜单中更改此设置。</translation>
    </message>
    <message>
        <source>Check for a new version at start-up</source>
        <translation>启动时检查新版本</translation>
    </message>
    <message>
        <source>Send the program&apos;s logs to help fix problems</source>
        <translation>发送程序日志以帮助修复问题</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>QAboutDialog</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Pixvue</source>
        <translation>Pixvue</translation>
    </message>
    <message>
        <source>Version : </source>
        <translation>版本：</translation>
    </message>
</context>
<context>
    <name>QExitDialog</name>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Are you sure to exit?</source>
        <translation>确定要退出吗？</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>是</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>ServiceError</name>
    <message>
        <source>the service refused the request</source>
        <translation>服务拒绝了请求</translation>
    </message>
    <message>
        <source>the service sent an empty answer</source>
        <translation>服务返回了空的应答</translation>
    </message>
    <message>
        <source>the service&apos;s answer could not be read</source>
        <translation>无法读取服务的应答</translation>
    </message>
    <message>
        <source>the service could not be found</source>
        <translation>找不到服务</translation>
    </message>
    <message>
        <source>the service did not answer in time</source>
        <translation>服务未及时应答</translation>
    </message>
    <message>
        <source>no secure connection to the service</source>
        <translation>无法与服务建立安全连接</translation>
    </message>
    <message>
        <source>no connection to the service</source>
        <translation>无法连接到服务</translation>
    </message>
    <message>
        <source>the service has a fault</source>
        <translation>服务出现故障</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>未知错误</translation>
    </message>
</context>
</TS>
