Declare Function GetTickCount Lib "kernel32" () As Long
Sub Main
End Sub
' expect error: line 1: Declare (calls into outside libraries) is not supported
