<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>QFaultPost</name>
    <message>
        <source>Pixvue</source>
        <translation>Pixvue</translation>
    </message>
    <message>
        <source>Crash feedback</source>
        <translation>崩溃反馈</translation>
    </message>
    <message>
        <source>Sorry, Pixvue an error :(</source>
        <translation>抱歉，Pixvue 出错了 :(</translation>
    </message>
    <message>
        <source>We collected the error information and generated the report (which does not have your privacy), please send it to us to help us fix this error</source>
        <translation>我们收集了错误信息并生成了报告（不含您的隐私），请将它发送给我们，帮助我们修复此错误</translation>
    </message>
    <message>
        <source>Restart Program</source>
        <translation>重新启动程序</translation>
    </message>
    <message>
        <source>Send error report</source>
        <translation>发送错误报告</translation>
    </message>
    <message>
        <source>Please enter a description of the error</source>
        <translation>请输入错误描述</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Sorry,uplaod fail,Network error(%1),please retry!</source>
        <translation>抱歉，上传失败，网络错误(%1)，请重试！</translation>
    </message>
    <message>
        <source>Sorry,uplaod fail,Unkonw error(%1),please retry!</source>
        <translation>抱歉，上传失败，未知错误(%1)，请重试！</translation>
    </message>
</context>
</TS>
