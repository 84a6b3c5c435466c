Sub Total(ParamArray values())
End Sub
Sub Main
End Sub
' expect error: line 1: ParamArray is not supported
